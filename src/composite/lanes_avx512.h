// The lane primitives of the AVX-512 walks (foundation and byte/word instructions): sixteen pixels
// per step, with mask registers for the per-pixel choices. Rows shorter than that take the AVX2
// lanes (walk_avx512.cpp).
#ifndef MORVANE_COMPOSITE_LANES_AVX512_H_
#define MORVANE_COMPOSITE_LANES_AVX512_H_

#include <immintrin.h>

#include <cstdint>

#include "composite/lanes_avx2.h"
#include "composite/lanes_check.h"

#define MORVANE_AVX512_TARGET __attribute__((target("avx512f,avx512bw")))

namespace morvane {
namespace {

struct Avx512Lanes {
  using V = __m512i;
  static constexpr int32_t kPixels = 16;
  struct Tuning {
    static constexpr bool kFullStepToX = false;  // a masked move selects X in one step
    static constexpr bool kOpaqueSelectsX = true;
    static constexpr bool kPairsRows = false;  // boxes this narrow take the AVX2 walks (see Box)
    static constexpr bool kScreenBoxApart = false;
  };

  MORVANE_AVX512_TARGET static V Load(const uint8_t* p) { return _mm512_loadu_si512(p); }
  MORVANE_AVX512_TARGET static void Store(uint8_t* p, V v) { _mm512_storeu_si512(p, v); }
  MORVANE_AVX512_TARGET static V KeepLanes(V v, uint32_t m) {
    return _mm512_maskz_mov_epi32(static_cast<__mmask16>(m), v);
  }
  MORVANE_AVX512_TARGET static bool AllTransparent(V s, V alphas) {
    return _mm512_test_epi32_mask(s, alphas) == 0;
  }
  MORVANE_AVX512_TARGET static bool AllOpaque(V s, V alphas) {
    return _mm512_cmpge_epu32_mask(s, alphas) == 0xFFFF;
  }
  MORVANE_AVX512_TARGET static V Set8(int v) { return _mm512_set1_epi8(static_cast<char>(v)); }
  MORVANE_AVX512_TARGET static V Set16(int v) { return _mm512_set1_epi16(static_cast<short>(v)); }
  MORVANE_AVX512_TARGET static V Set32(int v) { return _mm512_set1_epi32(v); }
  MORVANE_AVX512_TARGET static V AlphaBytes() {
    return _mm512_set1_epi32(static_cast<int>(0xFF000000u));
  }
  MORVANE_AVX512_TARGET static V Zero() { return _mm512_setzero_si512(); }
  MORVANE_AVX512_TARGET static V And(V a, V b) { return _mm512_and_si512(a, b); }
  MORVANE_AVX512_TARGET static V AndNot(V a, V b) { return _mm512_andnot_si512(a, b); }
  MORVANE_AVX512_TARGET static V Or(V a, V b) { return _mm512_or_si512(a, b); }
  MORVANE_AVX512_TARGET static V Xor(V a, V b) { return _mm512_xor_si512(a, b); }
  MORVANE_AVX512_TARGET static V AddI8(V a, V b) { return _mm512_add_epi8(a, b); }
  MORVANE_AVX512_TARGET static V SubI8(V a, V b) { return _mm512_sub_epi8(a, b); }
  MORVANE_AVX512_TARGET static V AddsU8(V a, V b) { return _mm512_adds_epu8(a, b); }
  MORVANE_AVX512_TARGET static V SubsU8(V a, V b) { return _mm512_subs_epu8(a, b); }
  MORVANE_AVX512_TARGET static V MinU8(V a, V b) { return _mm512_min_epu8(a, b); }
  MORVANE_AVX512_TARGET static V AddI16(V a, V b) { return _mm512_add_epi16(a, b); }
  MORVANE_AVX512_TARGET static V CmpEqI16(V a, V b) {
    return _mm512_movm_epi16(_mm512_cmpeq_epi16_mask(a, b));
  }
  MORVANE_AVX512_TARGET static V AddI32(V a, V b) { return _mm512_add_epi32(a, b); }
  MORVANE_AVX512_TARGET static V MulloI16(V a, V b) { return _mm512_mullo_epi16(a, b); }
  MORVANE_AVX512_TARGET static V MulhiU16(V a, V b) { return _mm512_mulhi_epu16(a, b); }
  MORVANE_AVX512_TARGET static V SrliI16(V a, int n) { return _mm512_srli_epi16(a, n); }
  MORVANE_AVX512_TARGET static V SlliI16(V a, int n) { return _mm512_slli_epi16(a, n); }

  MORVANE_AVX512_TARGET static V SrliI32(V a, int n) { return _mm512_srli_epi32(a, n); }
  MORVANE_AVX512_TARGET static V SlliI32(V a, int n) { return _mm512_slli_epi32(a, n); }
  MORVANE_AVX512_TARGET static V SraiI32(V a, int n) { return _mm512_srai_epi32(a, n); }
  MORVANE_AVX512_TARGET static V Weight(V num, V a) {
    return _mm512_cvttps_epi32(_mm512_div_ps(_mm512_cvtepi32_ps(num), _mm512_cvtepi32_ps(a)));
  }
  MORVANE_AVX512_TARGET static V LowHalfTwice(V w) {
    return _mm512_shuffle_epi8(w,
                               _mm512_set4_epi32(0x0D0C0D0C, 0x09080908, 0x05040504, 0x01000100));
  }
  MORVANE_AVX512_TARGET static V AlphaBothHalves(V s) {
    return _mm512_shuffle_epi8(s,
                               _mm512_set4_epi32(0x800F800F, 0x800B800B, 0x80078007, 0x80038003));
  }
  MORVANE_AVX512_TARGET static V AlphaBothBytes(V s) {
    return _mm512_shuffle_epi8(s,
                               _mm512_set4_epi32(0x0F0F0F0F, 0x0B0B0B0B, 0x07070707, 0x03030303));
  }
  MORVANE_AVX512_TARGET static V EvenOddBytes(V e, V o) {
    return _mm512_mask_blend_epi8(0x5555555555555555ull, o, e);
  }
  MORVANE_AVX512_TARGET static V XWhereExact(V w, V x, V moved) {
    return _mm512_mask_mov_epi32(moved, _mm512_cmpgt_epi32_mask(w, _mm512_set1_epi32(0xFFFF)), x);
  }
  MORVANE_AVX512_TARGET static V XWhereOpaque(V w, V x, V moved) {
    return _mm512_mask_mov_epi16(moved, _mm512_cmpeq_epi16_mask(w, _mm512_setzero_si512()), x);
  }
  MORVANE_AVX512_TARGET static V WithAlphas(V colour, V a) {
    return _mm512_mask_mov_epi8(colour, 0x8888888888888888ull, a);
  }
};

static_assert(LanesComplete<Avx512Lanes, Avx2Lanes>(), "every primitive the AVX-512 walk uses");

}  // namespace
}  // namespace morvane

#undef MORVANE_AVX512_TARGET

#endif  // MORVANE_COMPOSITE_LANES_AVX512_H_
