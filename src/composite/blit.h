// The steps every rectangle blit shares before its colours are combined, for both ways in: the
// host's descriptors and the caller's image records.
#ifndef MORVANE_COMPOSITE_BLIT_H_
#define MORVANE_COMPOSITE_BLIT_H_

#include <cstdint>

#include "bitmap/fit.h"
#include "bitmap/image_view.h"
#include "composite/op_table.h"

namespace morvane {

// The opening every blit of the host's bitmaps shares, ClipBlt's too: fits the rectangle, then
// resolves both bitmaps. BLT_DONE means there is something to draw. An empty fit and a bitmap
// without pixels (id 0) both give BLT_EMPTY, in that order; neither resolves nor touches
// anything it does not need.
inline int32_t OpenHostBlit(const BitmapDesc* dest, int32_t& x, int32_t& y, int32_t& w, int32_t& h,
                            const BitmapDesc* src, int32_t& sx, int32_t& sy, PixelView* dst_view,
                            PixelView* src_view) {
  FitBlitRect(*dest, x, y, w, h, *src, sx, sy);
  if (IsEmptyFit(w, h)) return BLT_EMPTY;
  *dst_view = MakePixelView(dest);
  *src_view = MakePixelView(src);
  if (dst_view->pixels == nullptr || src_view->pixels == nullptr) return BLT_EMPTY;
  return BLT_DONE;
}

// BlendBlt and RopBlt: the opening, then the dispatcher with `code`.
inline int32_t RunBlit(OpFamily family, const BitmapDesc* dest, int32_t x, int32_t y, int32_t w,
                       int32_t h, const BitmapDesc* src, int32_t sx, int32_t sy, uint32_t code) {
  PixelView dst_view, src_view;
  const int32_t opened = OpenHostBlit(dest, x, y, w, h, src, sx, sy, &dst_view, &src_view);
  if (opened != BLT_DONE) return opened;
  return Composite(family, dst_view, x, y, w, h, src_view, sx, sy, code);
}

#if !defined(_WIN32)
// The same for image records, which are checked first: a record that cannot describe an image
// gives BLT_BADIMAGE whatever the rectangle, and nothing is read through it.
inline int32_t OpenImageBlit(const MorvaneImage* dest, int32_t& x, int32_t& y, int32_t& w,
                             int32_t& h, const MorvaneImage* src, int32_t& sx, int32_t& sy,
                             PixelView* dst_view, PixelView* src_view) {
  if (!MakeImageView(dest, dst_view) || !MakeImageView(src, src_view)) return BLT_BADIMAGE;
  FitBlitRect(*dst_view, x, y, w, h, *src_view, sx, sy);
  return IsEmptyFit(w, h) ? BLT_EMPTY : BLT_DONE;
}

inline int32_t RunImageBlit(OpFamily family, const MorvaneImage* dest, int32_t x, int32_t y,
                            int32_t w, int32_t h, const MorvaneImage* src, int32_t sx, int32_t sy,
                            uint32_t code) {
  PixelView dst_view, src_view;
  const int32_t opened = OpenImageBlit(dest, x, y, w, h, src, sx, sy, &dst_view, &src_view);
  if (opened != BLT_DONE) return opened;
  return Composite(family, dst_view, x, y, w, h, src_view, sx, sy, code);
}
#endif  // !_WIN32

}  // namespace morvane

#endif  // MORVANE_COMPOSITE_BLIT_H_
