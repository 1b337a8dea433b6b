// The vector walks for processors with AVX-512 (foundation and byte/word instructions): sixteen
// pixels per step, with mask registers for the per-pixel choices. Built with per-function target
// attributes, so the rest of the library still runs on processors without it.
#include "composite/simd_walks.h"

#if MORVANE_X86_WIDE_SIMD

#include <immintrin.h>

#include "composite/channel_ops.h"

// GCC 12's AVX-512 headers start some results from an undefined vector, which
// -Wmaybe-uninitialized then reports wherever those intrinsics are inlined.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif  // !__clang__

#define MORVANE_AVX512 __attribute__((target("avx512f,avx512bw")))

namespace morvane {
namespace {

using V = __m512i;

MORVANE_AVX512 inline V Bytes(int v) { return _mm512_set1_epi8(static_cast<char>(v)); }
MORVANE_AVX512 inline V AlphaBytes() { return _mm512_set1_epi32(static_cast<int>(0xFF000000u)); }

// d * s / 255 per byte: the 16-bit products of the even and the odd bytes, each divided by 255 as
// (p * 0x8081) >> 23.
MORVANE_AVX512 inline V MulDiv255(V d, V s) {
  const V low = _mm512_set1_epi16(0xFF), magic = _mm512_set1_epi16(static_cast<short>(0x8081));
  const V even = _mm512_mullo_epi16(_mm512_and_si512(d, low), _mm512_and_si512(s, low));
  const V odd = _mm512_mullo_epi16(_mm512_srli_epi16(d, 8), _mm512_srli_epi16(s, 8));
  const V even_q = _mm512_srli_epi16(_mm512_mulhi_epu16(even, magic), 7);
  const V odd_q = _mm512_srli_epi16(_mm512_mulhi_epu16(odd, magic), 7);
  return _mm512_or_si512(even_q, _mm512_slli_epi16(odd_q, 8));
}

// X = op(d, s) on every byte; the alpha bytes of the result are not used. The byte operations give
// the operators' results directly: a saturating add is ADD's cap, a saturating subtract
// SUBTRACT's floor, and BRIGHTEN is d plus MULTIPLY's result, saturated.
MORVANE_AVX512 inline V ApplyOp(BlendOp::Normal, V, V s) { return s; }
MORVANE_AVX512 inline V ApplyOp(BlendOp::Add, V d, V s) { return _mm512_adds_epu8(d, s); }
MORVANE_AVX512 inline V ApplyOp(BlendOp::Subtract, V d, V s) { return _mm512_subs_epu8(d, s); }
MORVANE_AVX512 inline V ApplyOp(BlendOp::Multiply, V d, V s) { return MulDiv255(d, s); }
MORVANE_AVX512 inline V ApplyOp(BlendOp::Brighten, V d, V s) {
  return _mm512_adds_epu8(d, MulDiv255(d, s));
}
MORVANE_AVX512 inline V ApplyOp(RopOp::SrcCopy, V, V s) { return s; }
MORVANE_AVX512 inline V ApplyOp(RopOp::SrcPaint, V d, V s) { return _mm512_or_si512(d, s); }
MORVANE_AVX512 inline V ApplyOp(RopOp::SrcAnd, V d, V s) { return _mm512_and_si512(d, s); }
MORVANE_AVX512 inline V ApplyOp(RopOp::SrcInvert, V d, V s) { return _mm512_xor_si512(d, s); }
MORVANE_AVX512 inline V ApplyOp(RopOp::SrcErase, V d, V s) { return _mm512_andnot_si512(d, s); }
MORVANE_AVX512 inline V ApplyOp(RopOp::NotSrcCopy, V, V s) {
  return _mm512_xor_si512(s, Bytes(0xFF));
}
MORVANE_AVX512 inline V ApplyOp(RopOp::NotSrcErase, V d, V s) {
  return _mm512_xor_si512(_mm512_or_si512(d, s), Bytes(0xFF));
}

// Sixteen merges at once, given X for every byte. The arithmetic and its proof are described in
// simd_walks.h.
MORVANE_AVX512 inline V Merge16(V d, V s, V x) {
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
  // alpha) are multiplied in place, i.e. times 256, and give (|X - d| * W) >> 8, whose high byte is
  // the step; a byte blend takes each from where it lies.
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

template <class Op>
MORVANE_AVX512 MORVANE_REALIGN_STACK void WalkAvx512(const PixelView& dst, int32_t x, int32_t y,
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
    for (; j + 16 <= w; j += 16, dp += 64, sp += 64) {
      const V s = _mm512_loadu_si512(sp);
      if (_mm512_test_epi32_mask(s, alpha) == 0) continue;  // all transparent: nothing changes
      const V d = _mm512_loadu_si512(dp);
      const V x16 = ApplyOp(Op{}, d, s);
      if (_mm512_cmpge_epu32_mask(s, alpha) == 0xFFFF) {  // all opaque: a is 255, colours X
        _mm512_storeu_si512(dp, _mm512_or_si512(x16, alpha));
        continue;
      }
      _mm512_storeu_si512(dp, Merge16(d, s, x16));
    }
    for (; j < w; ++j, dp += 4, sp += 4) MergePixel<Op>(dp, sp);
  }
  _mm_setcsr(csr);
}

}  // namespace

const SimdWalks kAvx512Walks = {
    {WalkAvx512<BlendOp::Normal>, WalkAvx512<BlendOp::Add>, WalkAvx512<BlendOp::Subtract>,
     WalkAvx512<BlendOp::Multiply>, WalkAvx512<BlendOp::Brighten>},
    {WalkAvx512<RopOp::SrcCopy>, WalkAvx512<RopOp::SrcPaint>, WalkAvx512<RopOp::SrcAnd>,
     WalkAvx512<RopOp::SrcInvert>, WalkAvx512<RopOp::SrcErase>, WalkAvx512<RopOp::NotSrcCopy>,
     WalkAvx512<RopOp::NotSrcErase>},
};

}  // namespace morvane

#endif  // MORVANE_X86_WIDE_SIMD
