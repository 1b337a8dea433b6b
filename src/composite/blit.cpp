#include "composite/blit.h"

#include "bitmap/fit.h"

namespace morvane {

int32_t RunBlit(OpFamily family, const BitmapDesc* dest, int32_t x, int32_t y, int32_t w, int32_t h,
                const BitmapDesc* src, int32_t sx, int32_t sy, uint32_t code) {
  FitBlitRect(*dest, x, y, w, h, *src, sx, sy);
  if (IsEmptyFit(w, h)) return BLT_EMPTY;
  const PixelView dst_view = MakePixelView(dest);
  const PixelView src_view = MakePixelView(src);
  if (dst_view.pixels == nullptr || src_view.pixels == nullptr) return BLT_EMPTY;
  return Composite(family, dst_view, x, y, w, h, src_view, sx, sy, code);
}

}  // namespace morvane
