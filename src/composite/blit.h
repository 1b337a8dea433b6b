// The steps every rectangle blit takes before its walk, for both ways in (the host's descriptors
// and the caller's image records): the opening, which fits the rectangle and resolves both
// bitmaps, and the dispatcher, which picks the operator's walk and runs it.
#ifndef MORVANE_COMPOSITE_BLIT_H_
#define MORVANE_COMPOSITE_BLIT_H_

#include <cstdint>

#include "bitmap/fit.h"
#include "bitmap/image_view.h"
#include "composite/op_table.h"

namespace morvane {

// The walks for `level`, or null for kScalar (and for levels this build lacks).
inline const LevelWalks* SimdWalksFor(SimdLevel level) {
  return kSimdWalks[static_cast<int>(level)];
}

// The walks for a call: the vector walks of this processor's level when `apart`, i.e. when the
// bytes the call reads from the source and the bytes it writes do not overlap; the reference
// walks otherwise, since then the pixel-by-pixel order decides the result. Both give the same
// bytes.
inline const LevelWalks& WalksForCall(bool apart) {
  const LevelWalks* simd = apart ? SimdWalksFor(ActiveSimdLevel()) : nullptr;
  return simd != nullptr ? *simd : kReferenceWalks;
}

// The dispatcher behind the blits. The rectangle is already fitted and both views have pixels.
// Looks the code up once, runs the selected operator's walk (chosen as above, for the whole
// rectangle) and returns BLT_DONE, or returns BLT_BADOP and touches nothing. Inline, so that an
// export reaches the walk through one indirect call: a small sprite's whole blit costs little
// more than the calls and their arguments would.
inline int32_t Composite(OpFamily family, const PixelView& dst, int32_t x, int32_t y, int32_t w,
                         int32_t h, const PixelView& src, int32_t sx, int32_t sy, uint32_t code) {
  // Blend modes are their rows' indices; raster operation codes are compared exactly.
  size_t row;
  if (family == OpFamily::kBlend) {
    if (code >= BlendOpList::kCount) return BLT_BADOP;
    row = code;
  } else {
    const OpEntry* entry = FindOp(kRopOps, code);
    if (entry == nullptr) return BLT_BADOP;
    row = static_cast<size_t>(entry - kRopOps);
  }
  const LevelWalks& walks = WalksForCall(!RectSpansOverlap(dst, x, y, w, h, src, sx, sy));
  const BoxWalk walk = family == OpFamily::kBlend ? walks.blend[row] : walks.rop[row];
  const ClipBox whole{0, 0, w, h};
  walk(BlitViews{dst, src, x, y, sx, sy}, &whole, 1);
  return BLT_DONE;
}

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
