// The vector walks for processors with SSE4.1 but not AVX2: four pixels per step, the SSE2 walks
// with SSE4.1's byte blends, byte shuffle and whole-register tests.
#include "composite/simd_walks.h"

#if MORVANE_X86_SIMD

#include <smmintrin.h>

#include "composite/channel_ops.h"

#define MORVANE_SSE41 __attribute__((target("sse4.1")))

namespace morvane {
namespace {

using V = __m128i;

MORVANE_SSE41 inline V Bytes(int v) { return _mm_set1_epi8(static_cast<char>(v)); }
MORVANE_SSE41 inline V AlphaBytes() { return _mm_set1_epi32(static_cast<int>(0xFF000000u)); }

// d * s / 255 per byte: the 16-bit products of the even and the odd bytes, each divided by 255 as
// (p * 0x8081) >> 23.
MORVANE_SSE41 inline V MulDiv255(V d, V s) {
  const V low = _mm_set1_epi16(0xFF), magic = _mm_set1_epi16(static_cast<short>(0x8081));
  const V even = _mm_mullo_epi16(_mm_and_si128(d, low), _mm_and_si128(s, low));
  const V odd = _mm_mullo_epi16(_mm_srli_epi16(d, 8), _mm_srli_epi16(s, 8));
  const V even_q = _mm_srli_epi16(_mm_mulhi_epu16(even, magic), 7);
  const V odd_q = _mm_srli_epi16(_mm_mulhi_epu16(odd, magic), 7);
  return _mm_or_si128(even_q, _mm_slli_epi16(odd_q, 8));
}

// X = op(d, s) on every byte; the alpha bytes of the result are not used. The byte operations give
// the operators' results directly: a saturating add is ADD's cap, a saturating subtract
// SUBTRACT's floor, and BRIGHTEN is d plus MULTIPLY's result, saturated.
MORVANE_SSE41 inline V ApplyOp(BlendOp::Normal, V, V s) { return s; }
MORVANE_SSE41 inline V ApplyOp(BlendOp::Add, V d, V s) { return _mm_adds_epu8(d, s); }
MORVANE_SSE41 inline V ApplyOp(BlendOp::Subtract, V d, V s) { return _mm_subs_epu8(d, s); }
MORVANE_SSE41 inline V ApplyOp(BlendOp::Multiply, V d, V s) { return MulDiv255(d, s); }
MORVANE_SSE41 inline V ApplyOp(BlendOp::Brighten, V d, V s) {
  return _mm_adds_epu8(d, MulDiv255(d, s));
}
MORVANE_SSE41 inline V ApplyOp(RopOp::SrcCopy, V, V s) { return s; }
MORVANE_SSE41 inline V ApplyOp(RopOp::SrcPaint, V d, V s) { return _mm_or_si128(d, s); }
MORVANE_SSE41 inline V ApplyOp(RopOp::SrcAnd, V d, V s) { return _mm_and_si128(d, s); }
MORVANE_SSE41 inline V ApplyOp(RopOp::SrcInvert, V d, V s) { return _mm_xor_si128(d, s); }
MORVANE_SSE41 inline V ApplyOp(RopOp::SrcErase, V d, V s) { return _mm_andnot_si128(d, s); }
MORVANE_SSE41 inline V ApplyOp(RopOp::NotSrcCopy, V, V s) { return _mm_xor_si128(s, Bytes(0xFF)); }
MORVANE_SSE41 inline V ApplyOp(RopOp::NotSrcErase, V d, V s) {
  return _mm_xor_si128(_mm_or_si128(d, s), Bytes(0xFF));
}

// Four merges at once, given X for every byte. The arithmetic and its proof are described in
// simd_walks.h.
MORVANE_SSE41 inline V Merge4(V d, V s, V x) {
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
  // alpha) are multiplied in place, i.e. times 256, and give (|X - d| * W) >> 8, whose high byte is
  // the step; a byte blend takes each from where it lies.
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

template <class Op>
MORVANE_SSE41 MORVANE_REALIGN_STACK void WalkSse41(const PixelView& dst, int32_t x, int32_t y,
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
    for (; j + 4 <= w; j += 4, dp += 16, sp += 16) {
      const V s = _mm_loadu_si128(reinterpret_cast<const V*>(sp));
      if (_mm_testz_si128(s, alpha)) continue;  // all four transparent: nothing changes
      const V d = _mm_loadu_si128(reinterpret_cast<const V*>(dp));
      const V x4 = ApplyOp(Op{}, d, s);
      if (_mm_testc_si128(s, alpha)) {  // all four opaque: a is 255 and every colour X
        _mm_storeu_si128(reinterpret_cast<V*>(dp), _mm_or_si128(x4, alpha));
        continue;
      }
      _mm_storeu_si128(reinterpret_cast<V*>(dp), Merge4(d, s, x4));
    }
    for (; j < w; ++j, dp += 4, sp += 4) MergePixel<Op>(dp, sp);
  }
  _mm_setcsr(csr);
}

}  // namespace

const SimdWalks kSse41Walks = {
    {WalkSse41<BlendOp::Normal>, WalkSse41<BlendOp::Add>, WalkSse41<BlendOp::Subtract>,
     WalkSse41<BlendOp::Multiply>, WalkSse41<BlendOp::Brighten>},
    {WalkSse41<RopOp::SrcCopy>, WalkSse41<RopOp::SrcPaint>, WalkSse41<RopOp::SrcAnd>,
     WalkSse41<RopOp::SrcInvert>, WalkSse41<RopOp::SrcErase>, WalkSse41<RopOp::NotSrcCopy>,
     WalkSse41<RopOp::NotSrcErase>},
};

}  // namespace morvane

#endif  // MORVANE_X86_SIMD
