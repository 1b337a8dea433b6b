// The rectangle walk, built once per operator.
#ifndef MORVANE_COMPOSITE_COMPOSITE_RECT_H_
#define MORVANE_COMPOSITE_COMPOSITE_RECT_H_

#include <cassert>
#include <cstddef>
#include <cstdint>

#include "bitmap/pixel_view.h"
#include "composite/merge.h"

namespace morvane {

// A non-empty piece of a fitted w x h rectangle, in the rectangle's own coordinates:
// 0 <= left < right <= w and 0 <= top < bottom <= h.
struct ClipBox {
  int32_t left, top, right, bottom;
};

// One call's bitmaps, and where the fitted rectangle's top-left pixel lies in each. A coverage
// mask, where there is one, says which pixels of the rectangle are drawn: bit j of word j / 64 of
// row i (`coverage_stride` words a row, top row first, one zero word beyond each row's last) for
// pixel (j, i).
struct BlitViews {
  PixelView dst, src;
  int32_t x, y, sx, sy;
  const uint64_t* coverage = nullptr;
  size_t coverage_stride = 0;
};

// The 64 coverage bits of one row from pixel j on.
inline uint64_t CoverageBits(const uint64_t* row, int32_t j) {
  const int32_t shift = j & 63;
  const uint64_t low = row[j >> 6] >> shift;
  return shift == 0 ? low : low | row[(j >> 6) + 1] << (64 - shift);
}

// What the dispatchers run: a walk over disjoint pieces of the fitted rectangle (one box for a
// plain blit, a clip region's boxes for ClipBlt), with its operator and instruction set bound in.
// Whatever a walk sets up is paid once per call, not once per box.
using BoxWalk = void (*)(const BlitViews& blit, const ClipBox* boxes, size_t count);

// Whether the bytes the walk reads from src and the bytes it writes in dst share any address. When
// they do, a pixel written in the call may be read back as source later, which makes the walk order
// part of the result; only the reference walk keeps that order pixel by pixel.
inline bool RectSpansOverlap(const PixelView& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                             const PixelView& src, int32_t sx, int32_t sy) {
  // A rectangle's bytes lie between its first row's and its last row's, whichever is stored first,
  // and the end of the other; rows in between may have gaps, which count as touched.
  const auto span = [w, h](const PixelView& v, int32_t left, int32_t top, uintptr_t* lo,
                           uintptr_t* hi) {
    const uintptr_t first = reinterpret_cast<uintptr_t>(PixelAt(v, left, top));
    const uintptr_t last = reinterpret_cast<uintptr_t>(PixelAt(v, left, top + h - 1));
    *lo = first < last ? first : last;
    *hi = (first < last ? last : first) + uintptr_t(4) * uint32_t(w);
  };
  uintptr_t dst_lo, dst_hi, src_lo, src_hi;
  span(dst, x, y, &dst_lo, &dst_hi);
  span(src, sx, sy, &src_lo, &src_hi);
  return dst_lo < src_hi && src_lo < dst_hi;
}

// Merges source pixel (sx + j, sy + i) into destination pixel (x + j, y + i), rows from the top of
// the rectangle down, each left to right. Nothing is buffered: when source and destination overlap
// in one bitmap, a pixel merged earlier in this call is read as source when the walk reaches it, so
// this order is part of the result. Expects a fitted rectangle inside both bitmaps.
template <class Op>
void CompositeRectT(const PixelView& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                    const PixelView& src, int32_t sx, int32_t sy) {
  assert(w >= 1 && h >= 1 && dst.pixels && src.pixels);
  assert(x >= 0 && y >= 0 && x + int64_t{w} <= dst.width && y + int64_t{h} <= dst.height);
  assert(sx >= 0 && sy >= 0 && sx + int64_t{w} <= src.width && sy + int64_t{h} <= src.height);
  for (int32_t i = 0; i < h; ++i) {
    uint8_t* dp = PixelAt(dst, x, y + i);
    const uint8_t* sp = PixelAt(src, sx, sy + i);
    for (int32_t j = 0; j < w; ++j, dp += 4, sp += 4) MergePixel<Op>(dp, sp);
  }
}

// The reference walk over boxes: CompositeRectT on each, in the order given.
template <class Op>
void ReferenceBoxWalk(const BlitViews& b, const ClipBox* boxes, size_t count) {
  for (size_t k = 0; k < count; ++k) {
    const ClipBox& box = boxes[k];
    CompositeRectT<Op>(b.dst, b.x + box.left, b.y + box.top, box.right - box.left,
                       box.bottom - box.top, b.src, b.sx + box.left, b.sy + box.top);
  }
}

// The reference walk through a coverage mask: each box's pixels that the mask covers, merged in
// the walk's order.
template <class Op>
void ReferenceCoveredWalk(const BlitViews& b, const ClipBox* boxes, size_t count) {
  for (size_t k = 0; k < count; ++k) {
    const ClipBox& box = boxes[k];
    for (int32_t i = box.top; i < box.bottom; ++i) {
      const uint64_t* row = b.coverage + size_t(i) * b.coverage_stride;
      for (int32_t j = box.left; j < box.right; ++j) {
        if (row[j >> 6] >> (j & 63) & 1) {
          MergePixel<Op>(PixelAt(b.dst, b.x + j, b.y + i), PixelAt(b.src, b.sx + j, b.sy + i));
        }
      }
    }
  }
}

}  // namespace morvane

#endif  // MORVANE_COMPOSITE_COMPOSITE_RECT_H_
