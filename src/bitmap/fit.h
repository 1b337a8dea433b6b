// Fitting a blit rectangle to the destination and source bitmaps.
#ifndef MORVANE_BITMAP_FIT_H_
#define MORVANE_BITMAP_FIT_H_

#include <cstdint>

#include "morvane.h"

namespace morvane {

// The caller asks for destination pixel (x + j, y + i) to receive source pixel (sx + j, sy + i)
// for 0 <= j < w, 0 <= i < h. Keeps exactly the pairs where both pixels lie inside their bitmaps:
// afterwards (x, y) and (sx, sy) are the first kept pair and w, h the kept counts. When nothing is
// kept, w or h is 0 and the other values are unspecified. Never fails.
void FitBlitRect(const BitmapDesc& dest, int32_t& x, int32_t& y, int32_t& w, int32_t& h,
                 const BitmapDesc& src, int32_t& sx, int32_t& sy);

inline bool IsEmptyFit(int32_t w, int32_t h) { return w <= 0 || h <= 0; }

}  // namespace morvane

#endif  // MORVANE_BITMAP_FIT_H_
