// Running the built morvane tool as a user would, and the files it reads and writes.
#ifndef MORVANE_TOOLS_TESTS_TOOL_RUN_H_
#define MORVANE_TOOLS_TESTS_TOOL_RUN_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/host_bitmap.h"
#include "host/scratch.h"

namespace morvane_tool_test {

struct RunResult {
  int exit_code = -1;  // -1 when the tool did not exit normally
  std::string out;
  std::string err;
  std::string FirstErrLine() const { return err.substr(0, err.find('\n')); }
};

// Exit code of a run whose `in_child` could not arrange what it was asked to.
constexpr int kNotRun = 77;

// Runs the tool with `args` in the directory `cwd`. `in_child`, when given, runs in the tool's
// process before it starts (to drop privileges, or to mount a file system only it sees); when it
// returns false the tool is not started and the exit code is kNotRun.
RunResult RunTool(const std::vector<std::string>& args, const std::string& cwd,
                  const std::function<bool()>& in_child = nullptr);

using morvane_test::Pixel;
using morvane_test::ScratchDir;

// Pixels top row first, width * height of them.
struct Picture {
  int32_t width = 0, height = 0;
  std::vector<Pixel> pixels;
  Pixel At(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// Writes a 32-bit uncompressed BMP (bottom-up rows, alpha kept).
void WriteBmp32(const std::string& path, const Picture& picture);

// Reads a 24-bit uncompressed BMP as written by the library (alpha reads as 255). False when the
// file is missing or not such a file.
bool ReadBmp24(const std::string& path, Picture* picture);

void WriteText(const std::string& path, const std::string& text);

}  // namespace morvane_tool_test

#endif  // MORVANE_TOOLS_TESTS_TOOL_RUN_H_
