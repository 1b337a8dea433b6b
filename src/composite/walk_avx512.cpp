// The vector walks for processors with AVX-512 (foundation and byte/word instructions): sixteen
// pixels per step, with mask registers for the per-pixel choices. Built with per-function target
// attributes, so the rest of the library still runs on processors without it.
#include "composite/simd_walks.h"

#if MORVANE_X86_WIDE_SIMD

#include <immintrin.h>

// GCC 12's AVX-512 headers start some results from an undefined vector, which
// -Wmaybe-uninitialized then reports wherever those intrinsics are inlined.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif  // !__clang__

#define MORVANE_LANE_TARGET __attribute__((target("avx512f,avx512bw")))
#include "composite/simd_lane_walk.h"

namespace morvane {
namespace {

struct Avx512Lanes {
  using V = __m512i;
  static constexpr int32_t kPixels = 16;

  MORVANE_LANE_TARGET static V Load(const uint8_t* p) { return _mm512_loadu_si512(p); }
  MORVANE_LANE_TARGET static void Store(uint8_t* p, V v) { _mm512_storeu_si512(p, v); }
  MORVANE_LANE_TARGET static bool AllTransparent(V s) {
    return _mm512_test_epi32_mask(s, AlphaBytes()) == 0;
  }
  MORVANE_LANE_TARGET static bool AllOpaque(V s) {
    return _mm512_cmpge_epu32_mask(s, AlphaBytes()) == 0xFFFF;
  }
  MORVANE_LANE_TARGET static V Set8(int v) { return _mm512_set1_epi8(static_cast<char>(v)); }
  MORVANE_LANE_TARGET static V Set16(int v) { return _mm512_set1_epi16(static_cast<short>(v)); }
  MORVANE_LANE_TARGET static V AlphaBytes() {
    return _mm512_set1_epi32(static_cast<int>(0xFF000000u));
  }
  MORVANE_LANE_TARGET static V And(V a, V b) { return _mm512_and_si512(a, b); }
  MORVANE_LANE_TARGET static V AndNot(V a, V b) { return _mm512_andnot_si512(a, b); }
  MORVANE_LANE_TARGET static V Or(V a, V b) { return _mm512_or_si512(a, b); }
  MORVANE_LANE_TARGET static V Xor(V a, V b) { return _mm512_xor_si512(a, b); }
  MORVANE_LANE_TARGET static V AddsU8(V a, V b) { return _mm512_adds_epu8(a, b); }
  MORVANE_LANE_TARGET static V SubsU8(V a, V b) { return _mm512_subs_epu8(a, b); }
  MORVANE_LANE_TARGET static V MulloI16(V a, V b) { return _mm512_mullo_epi16(a, b); }
  MORVANE_LANE_TARGET static V MulhiU16(V a, V b) { return _mm512_mulhi_epu16(a, b); }
  MORVANE_LANE_TARGET static V SrliI16(V a, int n) { return _mm512_srli_epi16(a, n); }
  MORVANE_LANE_TARGET static V SlliI16(V a, int n) { return _mm512_slli_epi16(a, n); }

  // The arithmetic and its proof are described in simd_walks.h.
  MORVANE_LANE_TARGET static V Merge(V d, V s, V x) {
    const V sa = _mm512_srli_epi32(s, 24), da = _mm512_srli_epi32(d, 24);
    // a = da * (255 - sa) / 255 + sa, in the low 16-bit half of each pixel's lane.
    const V kept = _mm512_mullo_epi16(da, _mm512_sub_epi32(_mm512_set1_epi32(255), sa));
    const V kept_div = _mm512_srli_epi16(_mm512_mulhi_epu16(kept, _mm512_set1_epi32(0x8081)), 7);
    const V a = _mm512_add_epi32(kept_div, sa);
    // W = trunc((sa * 65536 + a) / a), the divisor raised to 1 where a is 0.
    const V num = _mm512_or_si512(_mm512_slli_epi32(sa, 16), a);
    const __m512 den = _mm512_max_ps(_mm512_cvtepi32_ps(a), _mm512_set1_ps(1.0f));
    const V weight = _mm512_cvttps_epi32(_mm512_div_ps(_mm512_cvtepi32_ps(num), den));
    // sa == a > 0: W is 65537 and the colour is X itself.
    const __mmask16 exact = _mm512_cmpgt_epi32_mask(weight, _mm512_set1_epi32(0xFFFF));
    // W's low 16 bits in both halves of each pixel's lane.
    const V weights = _mm512_shuffle_epi8(
        weight, _mm512_set4_epi32(0x0D0C0D0C, 0x09080908, 0x05040504, 0x01000100));
    // |X - d| per byte, from two saturating differences of which at most one is non-zero.
    const V up = _mm512_subs_epu8(x, d), down = _mm512_subs_epu8(d, x);
    const V size = _mm512_or_si512(up, down);
    // Each channel's step, (|X - d| * W) >> 16, from a 16-bit multiply-high. The even bytes (blue,
    // red) are multiplied as they are and give the step in their low byte. The odd bytes (green,
    // alpha) are multiplied in place, i.e. times 256, and give (|X - d| * W) >> 8, whose high byte
    // is the step; a byte blend takes each from where it lies.
    const V low = _mm512_set1_epi16(0xFF);
    const V even_q = _mm512_mulhi_epu16(_mm512_and_si512(size, low), weights);
    const V odd_q = _mm512_mulhi_epu16(_mm512_andnot_si512(low, size), weights);
    const V step = _mm512_mask_blend_epi8(0x5555555555555555ull, odd_q, even_q);
    // step <= |X - d|, so min(step, up) is the step where X is above d and 0 elsewhere, and
    // min(step, down) the other way round: d moves by step toward X.
    const V moved =
        _mm512_sub_epi8(_mm512_add_epi8(d, _mm512_min_epu8(step, up)), _mm512_min_epu8(step, down));
    const V colour = _mm512_mask_mov_epi32(moved, exact, x);
    return _mm512_mask_mov_epi8(colour, 0x8888888888888888ull, _mm512_slli_epi32(a, 24));
  }
};

}  // namespace

const SimdWalks kAvx512Walks = LaneWalks<Avx512Lanes>();

}  // namespace morvane

#endif  // MORVANE_X86_WIDE_SIMD
