#include "export/bitmap_file.h"

#include <cassert>
#include <cstring>

namespace morvane {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint16_t kBitmapMagic = 0x4D42;  // "BM" read as a little-endian word
constexpr uint16_t kBitsPerPixel = 24;

void Put16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Fields left out stay zero: reserved words, BI_RGB compression, image size (allowed to be 0 for
// BI_RGB), resolution and palette counts.
void PutHeaders(uint8_t* out, int32_t width, int32_t height, uint32_t file_size) {
  std::memset(out, 0, kBitmapHeadersSize);
  Put16(out + 0, kBitmapMagic);
  Put32(out + 2, file_size);
  Put32(out + 10, kBitmapHeadersSize);
  uint8_t* info = out + kFileHeaderSize;
  Put32(info + 0, kInfoHeaderSize);
  Put32(info + 4, static_cast<uint32_t>(width));
  // A positive height declares bottom-up rows, which is how the host stores them.
  Put32(info + 8, static_cast<uint32_t>(height));
  Put16(info + 12, 1);
  Put16(info + 14, kBitsPerPixel);
}

}  // namespace

bool BitmapFileSize(int32_t width, int32_t height, uint32_t* size) {
  if (width < 0 || height < 0) return false;
  const uint64_t row = BitmapRowSize(width);
  constexpr uint64_t kRoomForRows = UINT32_MAX - kBitmapHeadersSize;
  // Divide before multiplying: row * height can pass 64 bits for the largest int32 sizes.
  if (row != 0 && static_cast<uint64_t>(height) > kRoomForRows / row) return false;
  *size = static_cast<uint32_t>(kBitmapHeadersSize + row * static_cast<uint64_t>(height));
  return true;
}

void PackBitmapFile(uint8_t* buffer, const PixelView& view, size_t size) {
#ifndef NDEBUG
  uint32_t expected = 0;
  assert(BitmapFileSize(view.width, view.height, &expected) && expected == size);
#endif  // NDEBUG
  PutHeaders(buffer, view.width, view.height, static_cast<uint32_t>(size));
  if (view.width == 0 || view.height == 0) return;
  assert(view.pixels != nullptr);
  const size_t padding = static_cast<size_t>(BitmapRowSize(view.width)) - 3 * size_t(view.width);
  uint8_t* out = buffer + kBitmapHeadersSize;
  for (int32_t row = view.height - 1; row >= 0; --row) {  // the file holds the bottom row first
    const uint8_t* src = PixelAt(view, 0, row);
    for (int32_t x = 0; x < view.width; ++x, src += 4, out += 3) {
      out[0] = src[0];
      out[1] = src[1];
      out[2] = src[2];
    }
    for (size_t i = 0; i < padding; ++i) *out++ = 0;
  }
}

}  // namespace morvane
