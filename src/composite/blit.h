// The steps every rectangle blit shares before its colours are combined, for both ways in: the
// host's descriptors and the caller's image records.
#ifndef MORVANE_COMPOSITE_BLIT_H_
#define MORVANE_COMPOSITE_BLIT_H_

#include <cstdint>

#include "bitmap/fit.h"
#include "bitmap/image_view.h"
#include "composite/op_table.h"

namespace morvane {

// Fits the rectangle, resolves both bitmaps and hands them to the dispatcher with `code`. An empty
// fit and a bitmap without pixels (id 0) both give BLT_EMPTY, in that order, before the code is
// looked at; neither resolves nor touches anything it does not need.
inline int32_t RunBlit(OpFamily family, const BitmapDesc* dest, int32_t x, int32_t y, int32_t w,
                       int32_t h, const BitmapDesc* src, int32_t sx, int32_t sy, uint32_t code) {
  FitBlitRect(*dest, x, y, w, h, *src, sx, sy);
  if (IsEmptyFit(w, h)) return BLT_EMPTY;
  const PixelView dst_view = MakePixelView(dest);
  const PixelView src_view = MakePixelView(src);
  if (dst_view.pixels == nullptr || src_view.pixels == nullptr) return BLT_EMPTY;
  return Composite(family, dst_view, x, y, w, h, src_view, sx, sy, code);
}

#if !defined(_WIN32)
// The same for image records, which are checked first: a record that cannot describe an image
// gives BLT_BADIMAGE whatever the rectangle, and nothing is read through it.
inline int32_t RunImageBlit(OpFamily family, const MorvaneImage* dest, int32_t x, int32_t y,
                            int32_t w, int32_t h, const MorvaneImage* src, int32_t sx, int32_t sy,
                            uint32_t code) {
  PixelView dst_view, src_view;
  if (!MakeImageView(dest, &dst_view) || !MakeImageView(src, &src_view)) return BLT_BADIMAGE;
  FitBlitRect(dst_view, x, y, w, h, src_view, sx, sy);
  if (IsEmptyFit(w, h)) return BLT_EMPTY;
  return Composite(family, dst_view, x, y, w, h, src_view, sx, sy, code);
}
#endif  // !_WIN32

}  // namespace morvane

#endif  // MORVANE_COMPOSITE_BLIT_H_
