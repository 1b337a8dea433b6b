// The lane primitives the SSE2 and SSE4.1 walks share: loads, stores and the byte and 16-bit
// operations of the 128-bit registers, all SSE2. Each of those walks' lanes struct derives from
// this one and adds its own tests and merge (lanes_sse2.h, lanes_sse41.h).
#ifndef MORVANE_COMPOSITE_LANES_SSE_COMMON_H_
#define MORVANE_COMPOSITE_LANES_SSE_COMMON_H_

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

#define MORVANE_SSE2_TARGET __attribute__((target("sse2")))

namespace morvane {
namespace {

// For KeepLanes: the vector mask of whole 32-bit lanes for each value of an n-bit lane mask, a
// load in place of a broadcast, an AND and a compare.
template <int kLanes>
struct LaneMasks {
  uint32_t lanes[1 << kLanes][kLanes];
};
template <int kLanes>
constexpr LaneMasks<kLanes> MakeLaneMasks() {
  LaneMasks<kLanes> t{};
  for (int m = 0; m < (1 << kLanes); ++m) {
    for (int i = 0; i < kLanes; ++i) t.lanes[m][i] = m >> i & 1 ? 0xFFFFFFFFu : 0;
  }
  return t;
}
template <int kLanes>
alignas(4 * kLanes) constexpr LaneMasks<kLanes> kLaneMasks = MakeLaneMasks<kLanes>();

struct SseByteLanes {
  using V = __m128i;
  static constexpr int32_t kPixels = 4;

  MORVANE_SSE2_TARGET static V Load(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const V*>(p));
  }
  MORVANE_SSE2_TARGET static void Store(uint8_t* p, V v) {
    _mm_storeu_si128(reinterpret_cast<V*>(p), v);
  }

  MORVANE_SSE2_TARGET static V LoadPixel(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return _mm_cvtsi32_si128(v);
  }
  MORVANE_SSE2_TARGET static void StorePixel(uint8_t* p, V v) {
    const int32_t low = _mm_cvtsi128_si32(v);
    std::memcpy(p, &low, 4);
  }

  // A row shorter than a vector, 1 <= w < 4, fills the vector with its own pixels, some twice: the
  // first pair and the last pair (which overlap for w == 3), or the one pixel four times. Every
  // lane then holds a real pixel, merged as any other, and the pixels stored twice get the same
  // bytes. Nothing beyond the row is read or written; there is no branch on the row's bytes.
  MORVANE_SSE2_TARGET static V LoadShort(const uint8_t* p, int32_t w, V) {
    if (w == 1) return _mm_shuffle_epi32(LoadPixel(p), 0);
    const V first = _mm_loadl_epi64(reinterpret_cast<const V*>(p));
    return _mm_unpacklo_epi64(first, _mm_loadl_epi64(reinterpret_cast<const V*>(p + 4 * (w - 2))));
  }
  MORVANE_SSE2_TARGET static void StoreShort(uint8_t* p, V v, int32_t w) {
    if (w == 1) return StorePixel(p, v);
    _mm_storeh_pi(reinterpret_cast<__m64*>(p + 4 * (w - 2)), _mm_castsi128_ps(v));
    _mm_storel_epi64(reinterpret_cast<V*>(p), v);
  }

  // The first w lanes of v, 2 < w < 4 (so three), at p: the first pair, and the last pair moved to
  // the low half.
  MORVANE_SSE2_TARGET static void StoreFirst(uint8_t* p, V v, int32_t) {
    _mm_storel_epi64(reinterpret_cast<V*>(p + 4), _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 2, 1)));
    _mm_storel_epi64(reinterpret_cast<V*>(p), v);
  }

  MORVANE_SSE2_TARGET static V KeepLanes(V v, uint32_t m) {
    return _mm_and_si128(v, _mm_load_si128(reinterpret_cast<const V*>(kLaneMasks<4>.lanes[m])));
  }
  MORVANE_SSE2_TARGET static V Set8(int v) { return _mm_set1_epi8(static_cast<char>(v)); }
  MORVANE_SSE2_TARGET static V Set16(int v) { return _mm_set1_epi16(static_cast<short>(v)); }
  MORVANE_SSE2_TARGET static V Set32(int v) { return _mm_set1_epi32(v); }
  MORVANE_SSE2_TARGET static V AlphaBytes() {
    return _mm_set1_epi32(static_cast<int>(0xFF000000u));
  }
  MORVANE_SSE2_TARGET static V Zero() { return _mm_setzero_si128(); }
  MORVANE_SSE2_TARGET static V And(V a, V b) { return _mm_and_si128(a, b); }
  MORVANE_SSE2_TARGET static V AndNot(V a, V b) { return _mm_andnot_si128(a, b); }
  MORVANE_SSE2_TARGET static V Or(V a, V b) { return _mm_or_si128(a, b); }
  MORVANE_SSE2_TARGET static V Xor(V a, V b) { return _mm_xor_si128(a, b); }
  MORVANE_SSE2_TARGET static V AddI8(V a, V b) { return _mm_add_epi8(a, b); }
  MORVANE_SSE2_TARGET static V SubI8(V a, V b) { return _mm_sub_epi8(a, b); }
  MORVANE_SSE2_TARGET static V AddsU8(V a, V b) { return _mm_adds_epu8(a, b); }
  MORVANE_SSE2_TARGET static V SubsU8(V a, V b) { return _mm_subs_epu8(a, b); }
  MORVANE_SSE2_TARGET static V MinU8(V a, V b) { return _mm_min_epu8(a, b); }
  MORVANE_SSE2_TARGET static V AddI16(V a, V b) { return _mm_add_epi16(a, b); }
  MORVANE_SSE2_TARGET static V CmpEqI16(V a, V b) { return _mm_cmpeq_epi16(a, b); }
  MORVANE_SSE2_TARGET static V CmpEqI32(V a, V b) { return _mm_cmpeq_epi32(a, b); }
  MORVANE_SSE2_TARGET static V AddI32(V a, V b) { return _mm_add_epi32(a, b); }
  MORVANE_SSE2_TARGET static V MulloI16(V a, V b) { return _mm_mullo_epi16(a, b); }
  MORVANE_SSE2_TARGET static V MulhiU16(V a, V b) { return _mm_mulhi_epu16(a, b); }
  MORVANE_SSE2_TARGET static V SrliI16(V a, int n) { return _mm_srli_epi16(a, n); }
  MORVANE_SSE2_TARGET static V SlliI16(V a, int n) { return _mm_slli_epi16(a, n); }
  MORVANE_SSE2_TARGET static V SrliI32(V a, int n) { return _mm_srli_epi32(a, n); }
  MORVANE_SSE2_TARGET static V SlliI32(V a, int n) { return _mm_slli_epi32(a, n); }
  MORVANE_SSE2_TARGET static V SraiI32(V a, int n) { return _mm_srai_epi32(a, n); }
  MORVANE_SSE2_TARGET static V Weight(V num, V a) {
    return _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(num), _mm_cvtepi32_ps(a)));
  }
};

}  // namespace
}  // namespace morvane

#undef MORVANE_SSE2_TARGET

#endif  // MORVANE_COMPOSITE_LANES_SSE_COMMON_H_
