// What the tool's commands share: exit codes, one-line error messages, walking the arguments and
// reading numbers.
#ifndef MORVANE_TOOLS_COMMAND_LINE_H_
#define MORVANE_TOOLS_COMMAND_LINE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace morvane_tool {

enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// Prints "morvane: <message>" on stderr and returns `code`.
int Fail(int code, const std::string& message);

// A usage error, with a pointer to the command's help.
int UsageError(const std::string& command, const std::string& message);

// Whether -h or --help is among the arguments: then the command prints its help, whatever else
// they say.
bool AsksForHelp(const std::vector<std::string>& args);

// The arguments of one command, read front to back. Options take their value from "--name=value"
// or from the next argument, so "--at -5,10" works.
class ArgReader {
 public:
  explicit ArgReader(std::vector<std::string> args) : args_(std::move(args)) {}
  bool Done() const { return next_ >= args_.size(); }
  // The next argument; for "--name=value", "--name", with the value kept for Value().
  std::string Next();
  // Whether the argument just read looks like an option (starts with '-' and is not "-").
  bool IsOption() const;
  // The value of the option just read. False when there is none.
  bool Value(std::string* value);

 private:
  std::vector<std::string> args_;
  size_t next_ = 0;
  std::string current_;
  bool has_inline_ = false;
  std::string inline_value_;
};

// Numbers on the command line: whole numbers between -kMaxMagnitude and kMaxMagnitude. The bound
// keeps every sum and difference the tool forms from them inside 32 bits.
constexpr int32_t kMaxMagnitude = 1000000000;

enum class Numbers { kOk, kMalformed, kOutOfRange };

// Parses exactly `count` comma-separated whole numbers ("10,-4"). kOutOfRange when they are whole
// numbers but one lies beyond kMaxMagnitude, kMalformed when the text is anything else.
Numbers ParseNumbers(const std::string& text, int count, int32_t* out);

// The message for a value of `option` that ParseNumbers refused: what the option expects (`shape`,
// as "X,Y"), why the value fails, and the value.
std::string NumbersError(const std::string& option, const std::string& shape, Numbers problem,
                         const std::string& value);

// Whether the file name has no extension or ".bmp" (in any case): what the tool writes is a BMP.
bool IsBmpName(const std::string& path);

// Whether `text` is well-formed UTF-8, as the library's SaveToBitmapA requires of a path. Input
// files are opened by the tool itself and may have any name.
bool IsValidUtf8(const std::string& text);

// `text` for a message: every byte that is not part of well-formed UTF-8 shown as \xHH.
std::string Printable(const std::string& text);

// "cannot write PATH: REASON", the path Printable.
std::string CannotWrite(const std::string& path, const std::string& reason);

}  // namespace morvane_tool

#endif  // MORVANE_TOOLS_COMMAND_LINE_H_
