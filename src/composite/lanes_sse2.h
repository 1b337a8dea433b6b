// The lane primitives of the SSE2 walks (every x86 processor with SSE2, all of x86-64): four pixels
// per step, the shared SSE lanes with the blends and tests that SSE2 lacks spelt out.
#ifndef MORVANE_COMPOSITE_LANES_SSE2_H_
#define MORVANE_COMPOSITE_LANES_SSE2_H_

#include <emmintrin.h>

#include "composite/lanes_check.h"
#include "composite/lanes_sse_common.h"

#define MORVANE_SSE2_TARGET __attribute__((target("sse2")))

namespace morvane {
namespace {

struct Sse2Lanes : SseByteLanes {
  struct Tuning {
    // Selecting X takes three logic operations and a compare here; a compare and an or reach it.
    static constexpr bool kFullStepToX = true;
    // Three logic operations select X: measured slower than a step of all ones cut at X.
    static constexpr bool kOpaqueSelectsX = false;
    static constexpr bool kPairsRows = false;  // two rows of 2 pixels would save too little
    // With eight registers, the loop over a screen in Run was 3 % slower than out of line.
    static constexpr bool kScreenBoxApart = true;
  };
  // A bit per pixel (bit 4i + 3 of the byte mask): whether that pixel's alpha byte equals `value`.
  MORVANE_SSE2_TARGET static int AlphasEqual(V s, V value) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(s, value)) & 0x8888;
  }
  // SSE2 has no test instruction; the comparisons need no mask.
  MORVANE_SSE2_TARGET static bool AllTransparent(V s, V) {
    return AlphasEqual(s, _mm_setzero_si128()) == 0x8888;
  }
  MORVANE_SSE2_TARGET static bool AllOpaque(V s, V) { return AlphasEqual(s, Set8(0xFF)) == 0x8888; }

  MORVANE_SSE2_TARGET static V Select(V mask, V yes, V no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
  }
  MORVANE_SSE2_TARGET static V LowHalfTwice(V w) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(w, 0xA0), 0xA0);
  }
  // The shift is the one the full merge makes for sa, which the compiler shares.
  MORVANE_SSE2_TARGET static V AlphaBothHalves(V s) {
    const V alpha = _mm_srli_epi32(s, 24);
    return _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
  }
  MORVANE_SSE2_TARGET static V AlphaBothBytes(V s) {
    const V alpha = _mm_srli_epi32(s, 24);
    const V twice = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 8));
    return _mm_or_si128(twice, _mm_slli_epi32(twice, 16));
  }
  // Every e the walks pass is below 256 in each 16-bit lane (a step, or a byte product over 255),
  // so an or takes its even bytes.
  MORVANE_SSE2_TARGET static V EvenOddBytes(V e, V o) {
    return _mm_or_si128(e, _mm_andnot_si128(_mm_set1_epi16(0xFF), o));
  }
  MORVANE_SSE2_TARGET static V XWhereExact(V w, V x, V moved) {
    return Select(_mm_cmpgt_epi32(w, _mm_set1_epi32(0xFFFF)), x, moved);
  }
  MORVANE_SSE2_TARGET static V WithAlphas(V colour, V a) { return Select(AlphaBytes(), a, colour); }
};

static_assert(LanesComplete<Sse2Lanes>(), "every primitive the SSE2 walk uses");

}  // namespace
}  // namespace morvane

#undef MORVANE_SSE2_TARGET

#endif  // MORVANE_COMPOSITE_LANES_SSE2_H_
