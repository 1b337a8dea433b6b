// A caller's image record (pointer, size, row stride) checked once at the boundary and turned into
// a view, so that no walk ever tests it again.
#ifndef MORVANE_BITMAP_IMAGE_VIEW_H_
#define MORVANE_BITMAP_IMAGE_VIEW_H_

#include <cstddef>
#include <cstdint>

#include "bitmap/pixel_view.h"
#include "morvane.h"

#if !defined(_WIN32)

namespace morvane {

// Sets *view and returns true when `image` describes memory that can hold it: a record, sizes not
// negative and, for an image that has pixels at all, a buffer, rows that do not overlap (|stride|
// at least width * 4), and every byte from the lowest row's first to the highest row's last at
// an address that does not wrap. An image of no pixels reads nothing and may have a null buffer.
inline bool MakeImageView(const MorvaneImage* image, PixelView* view) {
  if (image == nullptr || image->width < 0 || image->height < 0) return false;
  auto* const pixels = static_cast<uint8_t*>(image->pixels);
  *view = PixelView{pixels, image->width, image->height, image->stride};
  if (image->width == 0 || image->height == 0) return true;
  if (pixels == nullptr) return false;
  const uint64_t row_bytes = uint64_t{4} * uint32_t(image->width);
  const uint64_t distance =
      image->stride < 0 ? 0 - static_cast<uint64_t>(image->stride) : uint64_t(image->stride);
  if (distance < row_bytes) return false;
  // From row 0 to the row stored farthest from it: the offset PixelAt forms, which must fit.
  const uint64_t rows = uint32_t(image->height) - 1u;
  if (rows != 0 && distance > (uint64_t{PTRDIFF_MAX} - row_bytes) / rows) return false;
  const uint64_t reach = rows * distance;
  const uint64_t first = reinterpret_cast<uintptr_t>(pixels);
  const uint64_t lowest = image->stride < 0 ? first - reach : first;
  if (image->stride < 0 && first < reach) return false;
  return reach + row_bytes - 1 <= uint64_t{UINTPTR_MAX} - lowest;
}

}  // namespace morvane

#endif  // !_WIN32

#endif  // MORVANE_BITMAP_IMAGE_VIEW_H_
