// Why the tool's output could not be written. The library's save answers only SAVE_BADFILE; the
// tool asks the operating system the same questions the save met, to tell the user which one
// failed.
#ifndef MORVANE_TOOLS_OUTPUT_CHECK_H_
#define MORVANE_TOOLS_OUTPUT_CHECK_H_

#include <cstdint>
#include <string>

namespace morvane_tool {

// Why a name that is not UTF-8 cannot be written, though it can be read: the tool opens its inputs
// itself, but saves through SaveToBitmapA.
constexpr char kNotUtf8[] = "not valid UTF-8 (the library saves to UTF-8 names only)";

// The size of the BMP file the library writes for a width x height image.
inline uint64_t BmpFileBytes(int32_t width, int32_t height) {
  return 54 + ((uint64_t(width) * 3 + 3) & ~uint64_t{3}) * uint64_t(height);
}

// After SaveToBitmapA(path) gave SAVE_BADFILE for a file of `file_bytes`: the operating system's
// reason ("Is a directory", "Permission denied", "Read-only file system", ...), or a description
// of what is left when every question is answered yes.
std::string WhyNotWritten(const std::string& path, uint64_t file_bytes);

}  // namespace morvane_tool

#endif  // MORVANE_TOOLS_OUTPUT_CHECK_H_
