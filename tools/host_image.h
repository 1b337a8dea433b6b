// Bitmaps laid out as the host runtime lays them out, so the tool can hand them to the library:
// an object record whose id is half its address, a data record, a pixel-information record and
// the pixels (blue, green, red, alpha; rows bottom-up), all below 4 GiB because the records hold
// 32-bit addresses.
#ifndef MORVANE_TOOLS_HOST_IMAGE_H_
#define MORVANE_TOOLS_HOST_IMAGE_H_

#include <cstddef>
#include <cstdint>

#include "morvane.h"

namespace morvane_tool {

struct Bgra {
  uint8_t b, g, r, a;
};

class HostImage {
 public:
  HostImage() = default;
  HostImage(const HostImage&) = delete;
  HostImage& operator=(const HostImage&) = delete;
  HostImage(HostImage&& other) noexcept;
  HostImage& operator=(HostImage&& other) noexcept;
  ~HostImage();

  // Lays out a width x height bitmap (both at least 1), every pixel `fill`. False when there is no
  // memory left below 4 GiB for it; the image is then empty.
  bool Allocate(int32_t width, int32_t height, Bgra fill = {0, 0, 0, 0});

  bool empty() const { return block_ == nullptr; }
  const BitmapDesc* desc() const { return &desc_; }
  int32_t width() const { return desc_.width; }
  int32_t height() const { return desc_.height; }

  // Pixel (x, y), counted from the top-left as the library counts them.
  Bgra Get(int32_t x, int32_t y) const;
  void Set(int32_t x, int32_t y, Bgra p);
  // The first byte of row y (from the top); rows run width * 4 bytes.
  uint8_t* Row(int32_t y) const;

 private:
  void Release();

  uint8_t* block_ = nullptr;
  size_t block_bytes_ = 0;
  uint8_t* pixels_ = nullptr;
  BitmapDesc desc_ = {0, 0, 0};
};

// Sets every pixel of the rectangle (x, y, w, h) that lies inside the image.
void FillRect(HostImage& image, int32_t x, int32_t y, int32_t w, int32_t h, Bgra colour);

}  // namespace morvane_tool

#endif  // MORVANE_TOOLS_HOST_IMAGE_H_
