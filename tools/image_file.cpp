#include "image_file.h"

#include <stb_image.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace morvane_tool {
namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
struct PixelsFree {
  void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

}  // namespace

bool LoadImageFile(const std::string& path, HostImage* out, std::string* error) {
  errno = 0;
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  int width = 0, height = 0, channels = 0;
  std::unique_ptr<stbi_uc, PixelsFree> rgba(
      stbi_load_from_file(file.get(), &width, &height, &channels, 4));
  if (!rgba) {
    const char* reason = stbi_failure_reason();
    *error = path + " is not an image this tool can read (PNG, BMP, TGA or JPEG): " +
             (reason != nullptr ? reason : "unknown reason");
    return false;
  }
  if (!out->Allocate(width, height)) {
    *error = "no memory below 4 GiB for " + path + " (" + std::to_string(width) + " x " +
             std::to_string(height) + ")";
    return false;
  }
  // stb gives rows top-down in red, green, blue, alpha; the host keeps blue, green, red, alpha.
  for (int y = 0; y < height; ++y) {
    const stbi_uc* from = rgba.get() + size_t(y) * size_t(width) * 4;
    uint8_t* to = out->Row(y);
    for (int x = 0; x < width; ++x, from += 4, to += 4) {
      to[0] = from[2], to[1] = from[1], to[2] = from[0], to[3] = from[3];
    }
  }
  return true;
}

}  // namespace morvane_tool
