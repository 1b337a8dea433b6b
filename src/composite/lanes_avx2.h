// The lane primitives of the AVX2 walks (lane_walk.h): 256-bit registers, eight pixels. The AVX-512
// walks take them too, for rows shorter than their own sixteen pixels.
#ifndef MORVANE_COMPOSITE_LANES_AVX2_H_
#define MORVANE_COMPOSITE_LANES_AVX2_H_

#include <immintrin.h>

#include <cstdint>

#include "composite/lanes_check.h"
#include "composite/lanes_sse_common.h"

#define MORVANE_AVX2_TARGET __attribute__((target("avx2")))

namespace morvane {
namespace {

struct Avx2Lanes {
  using V = __m256i;
  static constexpr int32_t kPixels = 8;
  struct Tuning {
    static constexpr bool kFullStepToX = true;  // measured faster than the blend that selects X
    static constexpr bool kOpaqueSelectsX = true;
    static constexpr bool kPairsRows = true;        // see LoadRowPair
    static constexpr bool kScreenBoxApart = false;  // as fast in Run
  };

  MORVANE_AVX2_TARGET static V Load(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const V*>(p));
  }
  MORVANE_AVX2_TARGET static void Store(uint8_t* p, V v) {
    _mm256_storeu_si256(reinterpret_cast<V*>(p), v);
  }
  // A row of 1 to 7 pixels, as the SSE walks fill a vector with one: from 4 pixels on, the first
  // four and the last four (overlapping); below that, the SSE lanes' order twice, made from
  // broadcasting loads (the one pixel, or the first and the last pair) and at most one blend.
  MORVANE_AVX2_TARGET static V LoadShort(const uint8_t* p, int32_t w, V) {
    if (w < 4) {
      if (w == 1) return _mm256_broadcastd_epi32(_mm_loadu_si32(p));
      const V first = _mm256_broadcastq_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
      const V last = _mm256_broadcastq_epi64(
          _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + 4 * (w - 2))));
      return _mm256_blend_epi32(first, last, 0xCC);
    }
    return _mm256_set_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * (w - 4))),
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
  }
  MORVANE_AVX2_TARGET static void StoreShort(uint8_t* p, V v, int32_t w) {
    if (w < 4) return SseByteLanes::StoreShort(p, _mm256_castsi256_si128(v), w);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 4 * (w - 4)), _mm256_extracti128_si256(v, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(v));
  }
  // The first w lanes of v, 4 < w < 8, at p: the low half, and the last four of them, moved to the
  // low half, where they end (overlapping it).
  MORVANE_AVX2_TARGET static void StoreFirst(uint8_t* p, V v, int32_t w) {
    const V last = _mm256_permutevar8x32_epi32(
        v, _mm256_add_epi32(_mm256_set1_epi32(w - 4), _mm256_setr_epi32(0, 1, 2, 3, 0, 0, 0, 0)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 4 * (w - 4)), _mm256_castsi256_si128(last));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(v));
  }
  // Two rows of 1 to 4 pixels in one vector, p's in the low half and q's in the high half, each
  // half filled with its row's own pixels as the SSE walks fill a vector. A row that narrow fills
  // at most half a vector, so two of them take one merge rather than two.
  MORVANE_AVX2_TARGET static __m128i LoadHalf(const uint8_t* p, int32_t w) {
    if (w == 4) return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return SseByteLanes::LoadShort(p, w, _mm_setzero_si128());
  }
  MORVANE_AVX2_TARGET static V LoadRowPair(const uint8_t* p, const uint8_t* q, int32_t w) {
    return _mm256_set_m128i(LoadHalf(q, w), LoadHalf(p, w));
  }
  MORVANE_AVX2_TARGET static void StoreHalf(uint8_t* p, __m128i v, int32_t w) {
    if (w == 4) return _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    SseByteLanes::StoreShort(p, v, w);
  }
  MORVANE_AVX2_TARGET static void StoreRowPair(uint8_t* p, uint8_t* q, V v, int32_t w) {
    StoreHalf(q, _mm256_extracti128_si256(v, 1), w);
    StoreHalf(p, _mm256_castsi256_si128(v), w);
  }
  MORVANE_AVX2_TARGET static V KeepLanes(V v, uint32_t m) {  // the table is 8 KiB
    return _mm256_and_si256(v,
                            _mm256_load_si256(reinterpret_cast<const V*>(kLaneMasks<8>.lanes[m])));
  }
  MORVANE_AVX2_TARGET static bool AllTransparent(V s, V alphas) {
    return _mm256_testz_si256(s, alphas);
  }
  MORVANE_AVX2_TARGET static bool AllOpaque(V s, V alphas) { return _mm256_testc_si256(s, alphas); }
  MORVANE_AVX2_TARGET static V Set8(int v) { return _mm256_set1_epi8(static_cast<char>(v)); }
  MORVANE_AVX2_TARGET static V Set16(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }
  MORVANE_AVX2_TARGET static V Set32(int v) { return _mm256_set1_epi32(v); }
  MORVANE_AVX2_TARGET static V AlphaBytes() {
    return _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  }
  MORVANE_AVX2_TARGET static V And(V a, V b) { return _mm256_and_si256(a, b); }
  MORVANE_AVX2_TARGET static V AndNot(V a, V b) { return _mm256_andnot_si256(a, b); }
  MORVANE_AVX2_TARGET static V Or(V a, V b) { return _mm256_or_si256(a, b); }
  MORVANE_AVX2_TARGET static V Xor(V a, V b) { return _mm256_xor_si256(a, b); }
  MORVANE_AVX2_TARGET static V AddI8(V a, V b) { return _mm256_add_epi8(a, b); }
  MORVANE_AVX2_TARGET static V SubI8(V a, V b) { return _mm256_sub_epi8(a, b); }
  MORVANE_AVX2_TARGET static V AddsU8(V a, V b) { return _mm256_adds_epu8(a, b); }
  MORVANE_AVX2_TARGET static V SubsU8(V a, V b) { return _mm256_subs_epu8(a, b); }
  MORVANE_AVX2_TARGET static V MinU8(V a, V b) { return _mm256_min_epu8(a, b); }
  MORVANE_AVX2_TARGET static V AddI32(V a, V b) { return _mm256_add_epi32(a, b); }
  MORVANE_AVX2_TARGET static V MulloI16(V a, V b) { return _mm256_mullo_epi16(a, b); }
  MORVANE_AVX2_TARGET static V MulhiU16(V a, V b) { return _mm256_mulhi_epu16(a, b); }
  MORVANE_AVX2_TARGET static V SrliI16(V a, int n) { return _mm256_srli_epi16(a, n); }
  MORVANE_AVX2_TARGET static V SlliI16(V a, int n) { return _mm256_slli_epi16(a, n); }

  MORVANE_AVX2_TARGET static V SrliI32(V a, int n) { return _mm256_srli_epi32(a, n); }
  MORVANE_AVX2_TARGET static V SlliI32(V a, int n) { return _mm256_slli_epi32(a, n); }
  MORVANE_AVX2_TARGET static V SraiI32(V a, int n) { return _mm256_srai_epi32(a, n); }
  MORVANE_AVX2_TARGET static V Weight(V num, V a) {
    return _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(num), _mm256_cvtepi32_ps(a)));
  }
  MORVANE_AVX2_TARGET static V LowHalfTwice(V w) {
    return _mm256_shuffle_epi8(
        w, _mm256_setr_epi8(0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13, 0, 1, 0, 1, 4, 5, 4,
                            5, 8, 9, 8, 9, 12, 13, 12, 13));
  }
  MORVANE_AVX2_TARGET static V AlphaBothBytes(V s) {
    return _mm256_shuffle_epi8(
        s, _mm256_setr_epi8(3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15, 3, 3, 3, 3, 7,
                            7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15));
  }
  MORVANE_AVX2_TARGET static V AddI16(V a, V b) { return _mm256_add_epi16(a, b); }
  MORVANE_AVX2_TARGET static V AlphaBothHalves(V s) {
    return _mm256_shuffle_epi8(
        s, _mm256_setr_epi8(3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1, 3, -1, 3,
                            -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1));
  }
  MORVANE_AVX2_TARGET static V Zero() { return _mm256_setzero_si256(); }
  MORVANE_AVX2_TARGET static V CmpEqI16(V a, V b) { return _mm256_cmpeq_epi16(a, b); }
  MORVANE_AVX2_TARGET static V CmpEqI32(V a, V b) { return _mm256_cmpeq_epi32(a, b); }
  MORVANE_AVX2_TARGET static V EvenOddBytes(V e, V o) {
    return _mm256_blendv_epi8(o, e, _mm256_set1_epi16(0xFF));
  }
  // Bit 16 moved to the sign bit selects whole pixels.
  MORVANE_AVX2_TARGET static V XWhereExact(V w, V x, V moved) {
    const __m256 exact = _mm256_castsi256_ps(_mm256_slli_epi32(w, 15));
    return _mm256_castps_si256(
        _mm256_blendv_ps(_mm256_castsi256_ps(moved), _mm256_castsi256_ps(x), exact));
  }
  MORVANE_AVX2_TARGET static V XWhereOpaque(V w, V x, V moved) {
    return _mm256_blendv_epi8(moved, x, _mm256_cmpeq_epi16(w, _mm256_setzero_si256()));
  }
  MORVANE_AVX2_TARGET static V WithAlphas(V colour, V a) {
    return _mm256_blendv_epi8(colour, a, AlphaBytes());
  }
};

static_assert(LanesComplete<Avx2Lanes>(), "every primitive the AVX2 walk uses");

}  // namespace
}  // namespace morvane

#undef MORVANE_AVX2_TARGET

#endif  // MORVANE_COMPOSITE_LANES_AVX2_H_
