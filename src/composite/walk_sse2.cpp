// The vector walks for every x86 processor with SSE2 (all of x86-64): four pixels per step. The
// same arithmetic as the AVX2 walks, with the blends and tests that SSE2 lacks spelt out.
#include "composite/simd_walks.h"

#if MORVANE_X86_SIMD

#include <emmintrin.h>

#include "composite/simd_lanes_sse.h"

#define MORVANE_LANE_TARGET __attribute__((target("sse2")))
#include "composite/simd_lane_walk.h"

namespace morvane {
namespace {

struct Sse2Lanes : SseByteLanes {
  // A bit per pixel (bit 4i + 3 of the byte mask): whether that pixel's alpha byte equals `value`.
  MORVANE_LANE_TARGET static int AlphasEqual(V s, V value) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(s, value)) & 0x8888;
  }
  MORVANE_LANE_TARGET static bool AllTransparent(V s) {
    return AlphasEqual(s, _mm_setzero_si128()) == 0x8888;
  }
  MORVANE_LANE_TARGET static bool AllOpaque(V s) { return AlphasEqual(s, Set8(0xFF)) == 0x8888; }

  MORVANE_LANE_TARGET static V Select(V mask, V yes, V no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
  }

  // The arithmetic and its proof are described in simd_walks.h.
  MORVANE_LANE_TARGET static V Merge(V d, V s, V x) {
    const V sa = _mm_srli_epi32(s, 24), da = _mm_srli_epi32(d, 24);
    // a = da * (255 - sa) / 255 + sa, in the low 16-bit half of each pixel's lane.
    const V kept = _mm_mullo_epi16(da, _mm_sub_epi32(_mm_set1_epi32(255), sa));
    const V kept_div = _mm_srli_epi16(_mm_mulhi_epu16(kept, _mm_set1_epi32(0x8081)), 7);
    const V a = _mm_add_epi32(kept_div, sa);
    // W = trunc((sa * 65536 + a) / a), the divisor raised to 1 where a is 0.
    const V num = _mm_or_si128(_mm_slli_epi32(sa, 16), a);
    const __m128 den = _mm_max_ps(_mm_cvtepi32_ps(a), _mm_set1_ps(1.0f));
    const V weight = _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(num), den));
    // sa == a > 0: W is 65537 and the colour is X itself.
    const V exact = _mm_cmpgt_epi32(weight, _mm_set1_epi32(0xFFFF));
    const V weights = _mm_or_si128(weight, _mm_slli_epi32(weight, 16));  // W's low half, twice
    // |X - d| per byte, from two saturating differences of which at most one is non-zero.
    const V up = _mm_subs_epu8(x, d), down = _mm_subs_epu8(d, x);
    const V size = _mm_or_si128(up, down);
    const V even = _mm_and_si128(size, _mm_set1_epi16(0xFF));
    const V odd = _mm_srli_epi16(size, 8);
    const V step = _mm_or_si128(_mm_mulhi_epu16(even, weights),
                                _mm_slli_epi16(_mm_mulhi_epu16(odd, weights), 8));
    // step <= |X - d|, so min(step, up) is the step where X is above d and 0 elsewhere, and
    // min(step, down) the other way round: d moves by step toward X.
    const V moved = _mm_sub_epi8(_mm_add_epi8(d, _mm_min_epu8(step, up)), _mm_min_epu8(step, down));
    const V colour = Select(exact, x, moved);
    return Select(AlphaBytes(), _mm_slli_epi32(a, 24), colour);
  }
};

}  // namespace

const SimdWalks kSse2Walks = LaneWalks<Sse2Lanes>();

}  // namespace morvane

#endif  // MORVANE_X86_SIMD
