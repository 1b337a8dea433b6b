// The vector walks for processors with SSE4.1 but not AVX2: four pixels per step, the SSE2 walks
// with SSE4.1's byte blends, byte shuffle and whole-register tests.
#include "composite/simd_walks.h"

#if MORVANE_X86_SIMD

#include <smmintrin.h>

#include "composite/simd_lanes_sse.h"

#define MORVANE_LANE_TARGET __attribute__((target("sse4.1")))
#include "composite/simd_lane_walk.h"

namespace morvane {
namespace {

struct Sse41Lanes : SseByteLanes {
  MORVANE_LANE_TARGET static bool AllTransparent(V s) { return _mm_testz_si128(s, AlphaBytes()); }
  MORVANE_LANE_TARGET static bool AllOpaque(V s) { return _mm_testc_si128(s, AlphaBytes()); }

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
    // sa == a > 0: W is 65537 and the colour is X itself. Only then is bit 16 set; moved to the
    // sign bit, it selects whole pixels.
    const __m128 exact = _mm_castsi128_ps(_mm_slli_epi32(weight, 15));
    // W's low 16 bits in both halves of each pixel's lane.
    const V weights =
        _mm_shuffle_epi8(weight, _mm_setr_epi8(0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13));
    // |X - d| per byte, from two saturating differences of which at most one is non-zero.
    const V up = _mm_subs_epu8(x, d), down = _mm_subs_epu8(d, x);
    const V size = _mm_or_si128(up, down);
    // Each channel's step, (|X - d| * W) >> 16, from a 16-bit multiply-high. The even bytes (blue,
    // red) are multiplied as they are and give the step in their low byte. The odd bytes (green,
    // alpha) are multiplied in place, i.e. times 256, and give (|X - d| * W) >> 8, whose high byte
    // is the step; a byte blend takes each from where it lies.
    const V low = _mm_set1_epi16(0xFF);
    const V even_q = _mm_mulhi_epu16(_mm_and_si128(size, low), weights);
    const V odd_q = _mm_mulhi_epu16(_mm_andnot_si128(low, size), weights);
    const V step = _mm_blendv_epi8(odd_q, even_q, low);
    // step <= |X - d|, so min(step, up) is the step where X is above d and 0 elsewhere, and
    // min(step, down) the other way round: d moves by step toward X.
    const V moved = _mm_sub_epi8(_mm_add_epi8(d, _mm_min_epu8(step, up)), _mm_min_epu8(step, down));
    const V colour =
        _mm_castps_si128(_mm_blendv_ps(_mm_castsi128_ps(moved), _mm_castsi128_ps(x), exact));
    return _mm_blendv_epi8(colour, _mm_slli_epi32(a, 24), AlphaBytes());
  }
};

}  // namespace

const SimdWalks kSse41Walks = LaneWalks<Sse41Lanes>();

}  // namespace morvane

#endif  // MORVANE_X86_SIMD
