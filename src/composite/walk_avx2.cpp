// The vector walks for processors with AVX2: eight pixels per step. Built with per-function target
// attributes, so the rest of the library (and the 32-bit DLL) still runs on processors without it.
#include "composite/simd_walks.h"

#if MORVANE_X86_WIDE_SIMD

#include <immintrin.h>

#define MORVANE_LANE_TARGET __attribute__((target("avx2")))
#include "composite/simd_lane_walk.h"

namespace morvane {
namespace {

struct Avx2Lanes {
  using V = __m256i;
  static constexpr int32_t kPixels = 8;

  MORVANE_LANE_TARGET static V Load(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const V*>(p));
  }
  MORVANE_LANE_TARGET static void Store(uint8_t* p, V v) {
    _mm256_storeu_si256(reinterpret_cast<V*>(p), v);
  }
  MORVANE_LANE_TARGET static bool AllTransparent(V s) {
    return _mm256_testz_si256(s, AlphaBytes());
  }
  MORVANE_LANE_TARGET static bool AllOpaque(V s) { return _mm256_testc_si256(s, AlphaBytes()); }
  MORVANE_LANE_TARGET static V Set8(int v) { return _mm256_set1_epi8(static_cast<char>(v)); }
  MORVANE_LANE_TARGET static V Set16(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }
  MORVANE_LANE_TARGET static V AlphaBytes() {
    return _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  }
  MORVANE_LANE_TARGET static V And(V a, V b) { return _mm256_and_si256(a, b); }
  MORVANE_LANE_TARGET static V AndNot(V a, V b) { return _mm256_andnot_si256(a, b); }
  MORVANE_LANE_TARGET static V Or(V a, V b) { return _mm256_or_si256(a, b); }
  MORVANE_LANE_TARGET static V Xor(V a, V b) { return _mm256_xor_si256(a, b); }
  MORVANE_LANE_TARGET static V AddsU8(V a, V b) { return _mm256_adds_epu8(a, b); }
  MORVANE_LANE_TARGET static V SubsU8(V a, V b) { return _mm256_subs_epu8(a, b); }
  MORVANE_LANE_TARGET static V MulloI16(V a, V b) { return _mm256_mullo_epi16(a, b); }
  MORVANE_LANE_TARGET static V MulhiU16(V a, V b) { return _mm256_mulhi_epu16(a, b); }
  MORVANE_LANE_TARGET static V SrliI16(V a, int n) { return _mm256_srli_epi16(a, n); }
  MORVANE_LANE_TARGET static V SlliI16(V a, int n) { return _mm256_slli_epi16(a, n); }

  // The arithmetic and its proof are described in simd_walks.h.
  MORVANE_LANE_TARGET static V Merge(V d, V s, V x) {
    const V sa = _mm256_srli_epi32(s, 24), da = _mm256_srli_epi32(d, 24);
    // a = da * (255 - sa) / 255 + sa, in the low 16-bit half of each pixel's lane.
    const V kept = _mm256_mullo_epi16(da, _mm256_sub_epi32(_mm256_set1_epi32(255), sa));
    const V kept_div = _mm256_srli_epi16(_mm256_mulhi_epu16(kept, _mm256_set1_epi32(0x8081)), 7);
    const V a = _mm256_add_epi32(kept_div, sa);
    // W = trunc((sa * 65536 + a) / a), the divisor raised to 1 where a is 0.
    const V num = _mm256_or_si256(_mm256_slli_epi32(sa, 16), a);
    const __m256 den = _mm256_max_ps(_mm256_cvtepi32_ps(a), _mm256_set1_ps(1.0f));
    const V weight = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(num), den));
    // sa == a > 0: W is 65537 and the colour is X itself. Only then is bit 16 set; moved to the
    // sign bit, it selects whole pixels.
    const __m256 exact = _mm256_castsi256_ps(_mm256_slli_epi32(weight, 15));
    // W's low 16 bits in both halves of each pixel's lane.
    const V weights = _mm256_shuffle_epi8(
        weight, _mm256_setr_epi8(0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13, 0, 1, 0, 1, 4,
                                 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13));
    // |X - d| per byte, from two saturating differences of which at most one is non-zero.
    const V up = _mm256_subs_epu8(x, d), down = _mm256_subs_epu8(d, x);
    const V size = _mm256_or_si256(up, down);
    // Each channel's step, (|X - d| * W) >> 16, from a 16-bit multiply-high. The even bytes (blue,
    // red) are multiplied as they are and give the step in their low byte. The odd bytes (green,
    // alpha) are multiplied in place, i.e. times 256, and give (|X - d| * W) >> 8, whose high byte
    // is the step; a byte blend takes each from where it lies.
    const V low = _mm256_set1_epi16(0xFF);
    const V even_q = _mm256_mulhi_epu16(_mm256_and_si256(size, low), weights);
    const V odd_q = _mm256_mulhi_epu16(_mm256_andnot_si256(low, size), weights);
    const V step = _mm256_blendv_epi8(odd_q, even_q, low);
    // step <= |X - d|, so min(step, up) is the step where X is above d and 0 elsewhere, and
    // min(step, down) the other way round: d moves by step toward X.
    const V moved =
        _mm256_sub_epi8(_mm256_add_epi8(d, _mm256_min_epu8(step, up)), _mm256_min_epu8(step, down));
    const V colour = _mm256_castps_si256(
        _mm256_blendv_ps(_mm256_castsi256_ps(moved), _mm256_castsi256_ps(x), exact));
    return _mm256_blendv_epi8(colour, _mm256_slli_epi32(a, 24), AlphaBytes());
  }
};

}  // namespace

const SimdWalks kAvx2Walks = LaneWalks<Avx2Lanes>();

}  // namespace morvane

#endif  // MORVANE_X86_WIDE_SIMD
