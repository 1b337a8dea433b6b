// Calling the library's rectangle blit of one family, for tests that run both families alike.
#ifndef MORVANE_TESTS_BLIT_CALL_H_
#define MORVANE_TESTS_BLIT_CALL_H_

#include "reference.h"

namespace morvane_test {

inline int32_t Blit(Family family, const BitmapDesc* dest, int32_t x, int32_t y, int32_t w,
                    int32_t h, const BitmapDesc* src, int32_t sx, int32_t sy, uint32_t code) {
  return family == Family::kBlend ? BlendBlt(dest, x, y, w, h, src, sx, sy, code)
                                  : RopBlt(dest, x, y, w, h, src, sx, sy, code);
}

// The same through the ordinary-buffer API.
inline int32_t BlitImage(Family family, const MorvaneImage* dest, int32_t x, int32_t y, int32_t w,
                         int32_t h, const MorvaneImage* src, int32_t sx, int32_t sy,
                         uint32_t code) {
  return family == Family::kBlend ? morvane_blend(dest, x, y, w, h, src, sx, sy, int32_t(code))
                                  : morvane_rop(dest, x, y, w, h, src, sx, sy, code);
}

}  // namespace morvane_test

#endif  // MORVANE_TESTS_BLIT_CALL_H_
