#include "tool_run.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace morvane_tool_test {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Put16(std::string& b, uint32_t v) {
  for (int i = 0; i < 2; ++i) b.push_back(static_cast<char>(v >> (8 * i)));
}
void Put32(std::string& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>(v >> (8 * i)));
}
uint32_t Get32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + size_t(i)]);
  return v;
}

}  // namespace

RunResult RunTool(const std::vector<std::string>& args, const std::string& cwd,
                  const std::function<bool()>& in_child) {
  // Output goes to files beside the run, so neither stream can fill up and stall the tool.
  const ScratchDir streams;
  const std::string out_path = streams / "stdout", err_path = streams / "stderr";
  std::vector<char*> argv;
  std::string tool = MORVANE_TOOL_PATH;
  argv.push_back(tool.data());
  std::vector<std::string> copies = args;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);

  RunResult result;
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
    if (in_child && !in_child()) _exit(kNotRun);
    if (chdir(cwd.c_str()) != 0) _exit(127);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    result.exit_code = WEXITSTATUS(status);
  }
  result.out = ReadAll(out_path);
  result.err = ReadAll(err_path);
  return result;
}

void WriteBmp32(const std::string& path, const Picture& picture) {
  const auto pixel_bytes = static_cast<uint32_t>(picture.pixels.size() * 4);
  std::string b = "BM";
  Put32(b, 54 + pixel_bytes);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, static_cast<uint32_t>(picture.width));
  Put32(b, static_cast<uint32_t>(picture.height));
  Put16(b, 1);
  Put16(b, 32);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  for (int32_t y = picture.height - 1; y >= 0; --y) {
    for (int32_t x = 0; x < picture.width; ++x) {
      const Pixel p = picture.At(x, y);
      b += {static_cast<char>(p.b), static_cast<char>(p.g), static_cast<char>(p.r),
            static_cast<char>(p.a)};
    }
  }
  WriteText(path, b);
}

bool ReadBmp24(const std::string& path, Picture* picture) {
  const std::string b = ReadAll(path);
  if (b.size() < 54 || b.compare(0, 2, "BM") != 0 || Get32(b, 10) != 54 ||
      (Get32(b, 28) & 0xFFFF) != 24) {
    return false;
  }
  picture->width = static_cast<int32_t>(Get32(b, 18));
  picture->height = static_cast<int32_t>(Get32(b, 22));
  const size_t row = (size_t(picture->width) * 3 + 3) & ~size_t{3};
  if (b.size() != 54 + row * size_t(picture->height)) return false;
  picture->pixels.clear();
  for (int32_t y = 0; y < picture->height; ++y) {
    const size_t start = 54 + row * size_t(picture->height - 1 - y);
    for (int32_t x = 0; x < picture->width; ++x) {
      const auto* p = reinterpret_cast<const uint8_t*>(b.data() + start + size_t(x) * 3);
      picture->pixels.push_back({p[0], p[1], p[2], 255});
    }
  }
  return true;
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace morvane_tool_test
