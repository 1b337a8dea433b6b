// The BMP file a bitmap is saved as: a 14-byte file header, a 40-byte information header, then the
// rows bottom-up (the host's memory order), each pixel as blue, green, red with alpha dropped and
// each row padded with zeros to a multiple of 4 bytes.
#ifndef MORVANE_EXPORT_BITMAP_FILE_H_
#define MORVANE_EXPORT_BITMAP_FILE_H_

#include <cstddef>
#include <cstdint>

#include "bitmap/pixel_view.h"

namespace morvane {

constexpr uint32_t kBitmapHeadersSize = 54;

// Bytes in one row of the file for a width of at least 0.
inline uint64_t BitmapRowSize(int32_t width) {
  return (3 * static_cast<uint64_t>(width) + 3) & ~uint64_t{3};
}

// The size of the file for a width x height bitmap. False when either is negative or the size
// does not fit in 32 bits, which the header's size field cannot express.
bool BitmapFileSize(int32_t width, int32_t height, uint32_t* size);

// Fills `buffer` with the file for `view`. `size` must be what BitmapFileSize gives for the view's
// width and height, and the view must have pixels unless it is empty. Makes no OS calls.
void PackBitmapFile(uint8_t* buffer, const PixelView& view, size_t size);

}  // namespace morvane

#endif  // MORVANE_EXPORT_BITMAP_FILE_H_
