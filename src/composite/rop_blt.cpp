#include "composite/blit.h"

extern "C" MORVANE_API int32_t MORVANE_CALL RopBlt(const BitmapDesc* dest, int32_t x, int32_t y,
                                                   int32_t w, int32_t h, const BitmapDesc* src,
                                                   int32_t sx, int32_t sy, uint32_t rop) {
  return morvane::RunBlit(morvane::OpFamily::kRop, dest, x, y, w, h, src, sx, sy, rop);
}

#if !defined(_WIN32)
extern "C" MORVANE_API int32_t morvane_rop(const MorvaneImage* dest, int32_t x, int32_t y,
                                           int32_t w, int32_t h, const MorvaneImage* src,
                                           int32_t sx, int32_t sy, uint32_t rop) {
  return morvane::RunImageBlit(morvane::OpFamily::kRop, dest, x, y, w, h, src, sx, sy, rop);
}
#endif  // !_WIN32
