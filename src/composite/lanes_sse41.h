// The lane primitives of the SSE4.1 walks: four pixels per step, the shared SSE lanes with SSE4.1's
// byte blends, byte shuffle and whole-register tests.
#ifndef MORVANE_COMPOSITE_LANES_SSE41_H_
#define MORVANE_COMPOSITE_LANES_SSE41_H_

#include <smmintrin.h>

#include "composite/lanes_check.h"
#include "composite/lanes_sse_common.h"

#define MORVANE_SSE41_TARGET __attribute__((target("sse4.1")))

namespace morvane {
namespace {

struct Sse41Lanes : SseByteLanes {
  struct Tuning {
    static constexpr bool kFullStepToX = false;  // the blend that selects X measured faster
    // The byte blend takes its mask in xmm0: measured slower than a step of all ones cut at X.
    static constexpr bool kOpaqueSelectsX = false;
    static constexpr bool kPairsRows = false;       // two rows of 2 pixels would save too little
    static constexpr bool kScreenBoxApart = false;  // as fast in Run
  };
  MORVANE_SSE41_TARGET static bool AllTransparent(V s, V alphas) {
    return _mm_testz_si128(s, alphas);
  }
  MORVANE_SSE41_TARGET static bool AllOpaque(V s, V alphas) { return _mm_testc_si128(s, alphas); }

  MORVANE_SSE41_TARGET static V LowHalfTwice(V w) {
    return _mm_shuffle_epi8(w, _mm_setr_epi8(0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13));
  }
  MORVANE_SSE41_TARGET static V AlphaBothHalves(V s) {
    return _mm_shuffle_epi8(
        s, _mm_setr_epi8(3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1));
  }
  MORVANE_SSE41_TARGET static V AlphaBothBytes(V s) {
    return _mm_shuffle_epi8(s,
                            _mm_setr_epi8(3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15));
  }
  MORVANE_SSE41_TARGET static V EvenOddBytes(V e, V o) {
    return _mm_blendv_epi8(o, e, _mm_set1_epi16(0xFF));
  }
  // Bit 16 moved to the sign bit selects whole pixels.
  MORVANE_SSE41_TARGET static V XWhereExact(V w, V x, V moved) {
    const __m128 exact = _mm_castsi128_ps(_mm_slli_epi32(w, 15));
    return _mm_castps_si128(_mm_blendv_ps(_mm_castsi128_ps(moved), _mm_castsi128_ps(x), exact));
  }
  MORVANE_SSE41_TARGET static V WithAlphas(V colour, V a) {
    return _mm_blendv_epi8(colour, a, AlphaBytes());
  }
};

static_assert(LanesComplete<Sse41Lanes>(), "every primitive the SSE4.1 walk uses");

}  // namespace
}  // namespace morvane

#undef MORVANE_SSE41_TARGET

#endif  // MORVANE_COMPOSITE_LANES_SSE41_H_
