#include "composite/blit.h"

extern "C" MORVANE_API int32_t MORVANE_CALL BlendBlt(const BitmapDesc* dest, int32_t x, int32_t y,
                                                     int32_t w, int32_t h, const BitmapDesc* src,
                                                     int32_t sx, int32_t sy, uint32_t mode) {
  return morvane::RunBlit(morvane::OpFamily::kBlend, dest, x, y, w, h, src, sx, sy, mode);
}

#if !defined(_WIN32)
extern "C" MORVANE_API int32_t morvane_blend(const MorvaneImage* dest, int32_t x, int32_t y,
                                             int32_t w, int32_t h, const MorvaneImage* src,
                                             int32_t sx, int32_t sy, int32_t mode) {
  return morvane::RunImageBlit(morvane::OpFamily::kBlend, dest, x, y, w, h, src, sx, sy,
                               static_cast<uint32_t>(mode));
}
#endif  // !_WIN32
