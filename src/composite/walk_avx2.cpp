// The vector walks for processors with AVX2: eight pixels per step. Built with per-function target
// attributes, so the rest of the library (and the 32-bit DLL) still runs on processors without it.
#include "composite/simd_walks.h"

#if MORVANE_X86_WIDE_SIMD

#include <immintrin.h>

#include "composite/channel_ops.h"

#define MORVANE_AVX2 __attribute__((target("avx2")))

namespace morvane {
namespace {

using V = __m256i;

MORVANE_AVX2 inline V Bytes(int v) { return _mm256_set1_epi8(static_cast<char>(v)); }
MORVANE_AVX2 inline V AlphaBytes() { return _mm256_set1_epi32(static_cast<int>(0xFF000000u)); }

// d * s / 255 per byte: the 16-bit products of the even and the odd bytes, each divided by 255 as
// (p * 0x8081) >> 23.
MORVANE_AVX2 inline V MulDiv255(V d, V s) {
  const V low = _mm256_set1_epi16(0xFF), magic = _mm256_set1_epi16(static_cast<short>(0x8081));
  const V even = _mm256_mullo_epi16(_mm256_and_si256(d, low), _mm256_and_si256(s, low));
  const V odd = _mm256_mullo_epi16(_mm256_srli_epi16(d, 8), _mm256_srli_epi16(s, 8));
  const V even_q = _mm256_srli_epi16(_mm256_mulhi_epu16(even, magic), 7);
  const V odd_q = _mm256_srli_epi16(_mm256_mulhi_epu16(odd, magic), 7);
  return _mm256_or_si256(even_q, _mm256_slli_epi16(odd_q, 8));
}

// X = op(d, s) on every byte; the alpha bytes of the result are not used. The byte operations give
// the operators' results directly: a saturating add is ADD's cap, a saturating subtract
// SUBTRACT's floor, and BRIGHTEN is d plus MULTIPLY's result, saturated.
MORVANE_AVX2 inline V ApplyOp(BlendOp::Normal, V, V s) { return s; }
MORVANE_AVX2 inline V ApplyOp(BlendOp::Add, V d, V s) { return _mm256_adds_epu8(d, s); }
MORVANE_AVX2 inline V ApplyOp(BlendOp::Subtract, V d, V s) { return _mm256_subs_epu8(d, s); }
MORVANE_AVX2 inline V ApplyOp(BlendOp::Multiply, V d, V s) { return MulDiv255(d, s); }
MORVANE_AVX2 inline V ApplyOp(BlendOp::Brighten, V d, V s) {
  return _mm256_adds_epu8(d, MulDiv255(d, s));
}
MORVANE_AVX2 inline V ApplyOp(RopOp::SrcCopy, V, V s) { return s; }
MORVANE_AVX2 inline V ApplyOp(RopOp::SrcPaint, V d, V s) { return _mm256_or_si256(d, s); }
MORVANE_AVX2 inline V ApplyOp(RopOp::SrcAnd, V d, V s) { return _mm256_and_si256(d, s); }
MORVANE_AVX2 inline V ApplyOp(RopOp::SrcInvert, V d, V s) { return _mm256_xor_si256(d, s); }
MORVANE_AVX2 inline V ApplyOp(RopOp::SrcErase, V d, V s) { return _mm256_andnot_si256(d, s); }
MORVANE_AVX2 inline V ApplyOp(RopOp::NotSrcCopy, V, V s) {
  return _mm256_xor_si256(s, Bytes(0xFF));
}
MORVANE_AVX2 inline V ApplyOp(RopOp::NotSrcErase, V d, V s) {
  return _mm256_xor_si256(_mm256_or_si256(d, s), Bytes(0xFF));
}

// Eight merges at once, given X for every byte. The arithmetic and its proof are described in
// simd_walks.h.
MORVANE_AVX2 inline V Merge8(V d, V s, V x) {
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
      weight, _mm256_setr_epi8(0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13, 0, 1, 0, 1, 4, 5,
                               4, 5, 8, 9, 8, 9, 12, 13, 12, 13));
  // |X - d| per byte, from two saturating differences of which at most one is non-zero.
  const V up = _mm256_subs_epu8(x, d), down = _mm256_subs_epu8(d, x);
  const V size = _mm256_or_si256(up, down);
  // Each channel's step, (|X - d| * W) >> 16, from a 16-bit multiply-high. The even bytes (blue,
  // red) are multiplied as they are and give the step in their low byte. The odd bytes (green,
  // alpha) are multiplied in place, i.e. times 256, and give (|X - d| * W) >> 8, whose high byte is
  // the step; a byte blend takes each from where it lies.
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

template <class Op>
MORVANE_AVX2 MORVANE_REALIGN_STACK void WalkAvx2(const PixelView& dst, int32_t x, int32_t y,
                                                 int32_t w, int32_t h, const PixelView& src,
                                                 int32_t sx, int32_t sy) {
  assert(!RectSpansOverlap(dst, x, y, w, h, src, sx, sy));
  // The division raises "inexact" only; mask every exception for the walk in case the caller
  // unmasked some, and give the caller back its control and status word as it was.
  const unsigned int csr = _mm_getcsr();
  _mm_setcsr(csr | _MM_MASK_MASK);
  const V alpha = AlphaBytes();
  // Nothing written is read again, so the rows may go in memory order, bottom row first, which is
  // the order the hardware prefetchers follow best.
  for (int32_t i = h - 1; i >= 0; --i) {
    uint8_t* dp = PixelAt(dst, x, y + i);
    const uint8_t* sp = PixelAt(src, sx, sy + i);
    int32_t j = 0;
    for (; j + 8 <= w; j += 8, dp += 32, sp += 32) {
      const V s = _mm256_loadu_si256(reinterpret_cast<const V*>(sp));
      if (_mm256_testz_si256(s, alpha)) continue;  // all eight transparent: nothing changes
      const V d = _mm256_loadu_si256(reinterpret_cast<const V*>(dp));
      const V x8 = ApplyOp(Op{}, d, s);
      if (_mm256_testc_si256(s, alpha)) {  // all eight opaque: a is 255 and every colour X
        _mm256_storeu_si256(reinterpret_cast<V*>(dp), _mm256_or_si256(x8, alpha));
        continue;
      }
      _mm256_storeu_si256(reinterpret_cast<V*>(dp), Merge8(d, s, x8));
    }
    for (; j < w; ++j, dp += 4, sp += 4) MergePixel<Op>(dp, sp);
  }
  _mm_setcsr(csr);
}

}  // namespace

const SimdWalks kAvx2Walks = {
    {WalkAvx2<BlendOp::Normal>, WalkAvx2<BlendOp::Add>, WalkAvx2<BlendOp::Subtract>,
     WalkAvx2<BlendOp::Multiply>, WalkAvx2<BlendOp::Brighten>},
    {WalkAvx2<RopOp::SrcCopy>, WalkAvx2<RopOp::SrcPaint>, WalkAvx2<RopOp::SrcAnd>,
     WalkAvx2<RopOp::SrcInvert>, WalkAvx2<RopOp::SrcErase>, WalkAvx2<RopOp::NotSrcCopy>,
     WalkAvx2<RopOp::NotSrcErase>},
};

}  // namespace morvane

#endif  // MORVANE_X86_WIDE_SIMD
