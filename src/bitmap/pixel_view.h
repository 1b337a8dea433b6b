// A host bitmap resolved to its pixel buffer for the length of one call.
#ifndef MORVANE_BITMAP_PIXEL_VIEW_H_
#define MORVANE_BITMAP_PIXEL_VIEW_H_

#include <cstddef>
#include <cstdint>

#include "bitmap/host_records.h"
#include "morvane.h"

namespace morvane {

struct PixelView {
  uint8_t* pixels;  // null when the descriptor's id is 0
  int32_t width;
  int32_t height;
  const BitmapDesc* desc;
};

inline PixelView MakePixelView(const BitmapDesc* desc) {
  return PixelView{ResolvePixels(desc->id), desc->width, desc->height, desc};
}

// The pixel at (x, y), y counted from the top row. Rows are stored bottom-up with a stride of
// width * 4 bytes. The offset is formed in pointer-width arithmetic so that it cannot overflow for
// any pixel that lies inside a buffer that exists.
inline uint8_t* PixelAt(const PixelView& view, int32_t x, int32_t y) {
  const ptrdiff_t row = static_cast<ptrdiff_t>(view.height) - y - 1;
  return view.pixels + (static_cast<ptrdiff_t>(x) + row * view.width) * 4;
}

// How many pixels the buffer holds from (x, y) on: the rest of row y and every row above it, which
// are stored after it.
inline int64_t PixelsFrom(const PixelView& view, int32_t x, int32_t y) {
  return int64_t{y} * view.width + (view.width - x);
}

}  // namespace morvane

#endif  // MORVANE_BITMAP_PIXEL_VIEW_H_
