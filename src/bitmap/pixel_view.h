// A bitmap resolved to its pixels for the length of one call: a host bitmap through its record
// chain, or a caller's image record as it stands.
#ifndef MORVANE_BITMAP_PIXEL_VIEW_H_
#define MORVANE_BITMAP_PIXEL_VIEW_H_

#include <cstddef>
#include <cstdint>

#include "bitmap/host_records.h"
#include "morvane.h"

namespace morvane {

// Every walk, fit and pack reads pixels through this record only, so the two ways in share them:
// a host bitmap is the case of rows stored bottom-up with no gaps, stride = -width * 4.
struct PixelView {
  uint8_t* pixels;  // first byte of row 0, the top row; null when there are no pixels
  int32_t width;
  int32_t height;
  ptrdiff_t stride;  // bytes from row y to row y + 1, negative where rows are stored bottom-up
};

// A host-laid buffer: `buffer` is its first byte, which holds the bottom row. Sizes that are not
// positive give a view whose pixels are `buffer` itself: nothing is ever read through it. The top
// row's address is formed in unsigned arithmetic, since a descriptor's sizes are only checked
// after the view is made (a save refuses sizes no file could hold).
inline PixelView BottomUpView(uint8_t* buffer, int32_t width, int32_t height) {
  const uintptr_t row_bytes = uintptr_t{4} * uint32_t(width > 0 ? width : 0);
  uintptr_t top = reinterpret_cast<uintptr_t>(buffer);
  if (buffer != nullptr && height > 0) top += (uintptr_t(uint32_t(height)) - 1) * row_bytes;
  return PixelView{reinterpret_cast<uint8_t*>(top), width, height, -ptrdiff_t(row_bytes)};
}

inline PixelView MakePixelView(const BitmapDesc* desc) {
  return BottomUpView(ResolvePixels(desc->id), desc->width, desc->height);
}

// The pixel at (x, y), y counted from the top row. The offset is formed in pointer-width
// arithmetic, so it cannot overflow for any pixel that lies inside a buffer that exists.
inline uint8_t* PixelAt(const PixelView& view, int32_t x, int32_t y) {
  return view.pixels + ptrdiff_t{y} * view.stride + ptrdiff_t{x} * 4;
}

// How many bytes may be read from (x, y) of every row y from `top` to `bottom` - 1 without passing
// the image's last byte in memory. The least room is in the row of those that is stored last: the
// top one where rows are stored bottom-up, the bottom one otherwise.
inline int64_t BytesToImageEnd(const PixelView& view, int32_t x, int32_t top, int32_t bottom) {
  const int64_t distance = view.stride < 0 ? -int64_t{view.stride} : int64_t{view.stride};
  const int64_t rows_after = view.stride < 0 ? int64_t{top} : int64_t{view.height} - bottom;
  return rows_after * distance + 4 * (int64_t{view.width} - x);
}

}  // namespace morvane

#endif  // MORVANE_BITMAP_PIXEL_VIEW_H_
