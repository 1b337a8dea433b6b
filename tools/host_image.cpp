#include "host_image.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "low_memory.h"

namespace morvane_tool {
namespace {

// Where the records sit in the block; the pixels follow them.
constexpr size_t kObjectRecord = 0;
constexpr size_t kDataRecord = 24;
constexpr size_t kPixelInfoRecord = 40;
constexpr size_t kPixels = 64;

void PutAddress(uint8_t* at, const void* address) {
  const auto value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address));
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

HostImage::HostImage(HostImage&& other) noexcept { *this = std::move(other); }

HostImage& HostImage::operator=(HostImage&& other) noexcept {
  if (this != &other) {
    Release();
    std::swap(block_, other.block_);
    std::swap(block_bytes_, other.block_bytes_);
    std::swap(pixels_, other.pixels_);
    std::swap(desc_, other.desc_);
  }
  return *this;
}

HostImage::~HostImage() { Release(); }

void HostImage::Release() {
  UnmapLowMemory(block_, block_bytes_);
  block_ = nullptr;
  block_bytes_ = 0;
  pixels_ = nullptr;
  desc_ = {0, 0, 0};
}

bool HostImage::Allocate(int32_t width, int32_t height, Bgra fill) {
  Release();
  if (width < 1 || height < 1) return false;
  const uint64_t pixel_bytes = uint64_t(width) * uint64_t(height) * 4;
  if (pixel_bytes > 0xFFFFFFFFu - kPixels) return false;
  const size_t bytes = kPixels + size_t(pixel_bytes);
  block_ = MapLowMemory(bytes);
  if (block_ == nullptr) return false;
  block_bytes_ = bytes;
  pixels_ = block_ + kPixels;
  PutAddress(block_ + kObjectRecord + 16, block_ + kDataRecord);
  PutAddress(block_ + kDataRecord + 8, block_ + kPixelInfoRecord);
  PutAddress(block_ + kPixelInfoRecord + 16, pixels_);
  desc_ = {static_cast<int32_t>(reinterpret_cast<uintptr_t>(block_ + kObjectRecord) / 2), width,
           height};
  for (size_t i = 0; i < size_t(pixel_bytes); i += 4) std::memcpy(pixels_ + i, &fill, 4);
  return true;
}

uint8_t* HostImage::Row(int32_t y) const {
  return pixels_ + size_t(height() - 1 - y) * size_t(width()) * 4;
}

Bgra HostImage::Get(int32_t x, int32_t y) const {
  Bgra p;
  std::memcpy(&p, Row(y) + size_t(x) * 4, 4);
  return p;
}

void HostImage::Set(int32_t x, int32_t y, Bgra p) { std::memcpy(Row(y) + size_t(x) * 4, &p, 4); }

void FillRect(HostImage& image, int32_t x, int32_t y, int32_t w, int32_t h, Bgra colour) {
  const int32_t left = std::max(x, 0), right = std::min(x + w, image.width());
  const int32_t top = std::max(y, 0), bottom = std::min(y + h, image.height());
  for (int32_t i = top; i < bottom; ++i) {
    for (int32_t j = left; j < right; ++j) image.Set(j, i, colour);
  }
}

}  // namespace morvane_tool
