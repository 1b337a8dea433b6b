// Fitting a blit rectangle to the destination and source bitmaps.
#ifndef MORVANE_BITMAP_FIT_H_
#define MORVANE_BITMAP_FIT_H_

#include <algorithm>
#include <cstdint>

#include "bitmap/pixel_view.h"
#include "morvane.h"

namespace morvane {

namespace fit_detail {

// One axis of the fit. Every sum is formed in 64 bits, so no input can wrap; when the kept range is
// non-empty, both starts land inside their bitmaps and so fit back into 32 bits.
inline void FitAxis(int32_t dest_size, int32_t& pos, int32_t& len, int32_t src_size,
                    int32_t& src_pos) {
  const int64_t first = std::max({int64_t{0}, -int64_t{pos}, -int64_t{src_pos}});
  const int64_t end =
      std::min({int64_t{len}, int64_t{dest_size} - pos, int64_t{src_size} - src_pos});
  if (end <= first) {
    len = 0;
    return;
  }
  pos = static_cast<int32_t>(pos + first);
  src_pos = static_cast<int32_t>(src_pos + first);
  len = static_cast<int32_t>(end - first);
}

}  // namespace fit_detail

// The caller asks for destination pixel (x + j, y + i) to receive source pixel (sx + j, sy + i)
// for 0 <= j < w, 0 <= i < h. Keeps exactly the pairs where both pixels lie inside their bitmaps:
// afterwards (x, y) and (sx, sy) are the first kept pair and w, h the kept counts. When nothing is
// kept, w or h is 0 and the other values are unspecified. Never fails. Inline: it is every
// blit's first step, and a call would cost more than the fit.
inline void FitBlitRect(const BitmapDesc& dest, int32_t& x, int32_t& y, int32_t& w, int32_t& h,
                        const BitmapDesc& src, int32_t& sx, int32_t& sy) {
  fit_detail::FitAxis(dest.width, x, w, src.width, sx);
  fit_detail::FitAxis(dest.height, y, h, src.height, sy);
}

// The same fit to two views' sizes.
inline void FitBlitRect(const PixelView& dest, int32_t& x, int32_t& y, int32_t& w, int32_t& h,
                        const PixelView& src, int32_t& sx, int32_t& sy) {
  fit_detail::FitAxis(dest.width, x, w, src.width, sx);
  fit_detail::FitAxis(dest.height, y, h, src.height, sy);
}

inline bool IsEmptyFit(int32_t w, int32_t h) { return w <= 0 || h <= 0; }

}  // namespace morvane

#endif  // MORVANE_BITMAP_FIT_H_
