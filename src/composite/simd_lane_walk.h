// The vector rectangle walk and its table, written once over a "lanes" struct L that names one
// instruction set's vector type and primitives:
//
//   V, kPixels                          the vector and how many pixels it holds
//   Load, Store                         unaligned, kPixels pixels
//   AllTransparent(s), AllOpaque(s)     whether every pixel's alpha byte is 0, or 255
//   Set8, Set16                         every byte, or every 16-bit lane, set to one value
//   AlphaBytes()                        0xFF in every alpha byte, 0 elsewhere
//   And, AndNot (~a & b), Or, Xor, AddsU8, SubsU8, MulloI16, MulhiU16, SrliI16, SlliI16
//   Merge(d, s, x)                      kPixels merges at once, given X = op(d, s) for every byte
//
// Each walk_*.cpp defines MORVANE_LANE_TARGET as its instruction set's target attribute and
// includes this header once, so that every function here is built for that set, inlines its
// primitives, and stays private to that file.
#ifndef MORVANE_COMPOSITE_SIMD_LANE_WALK_H_
#define MORVANE_COMPOSITE_SIMD_LANE_WALK_H_

#ifndef MORVANE_LANE_TARGET
#error "define MORVANE_LANE_TARGET before including simd_lane_walk.h"
#endif  // !MORVANE_LANE_TARGET

#include <xmmintrin.h>

#include <cassert>
#include <cstdint>

#include "composite/channel_ops.h"
#include "composite/merge.h"
#include "composite/simd_walks.h"

namespace morvane {
namespace {

// d * s / 255 per byte: the 16-bit products of the even and the odd bytes, each divided by 255 as
// (p * 0x8081) >> 23.
template <class L>
MORVANE_LANE_TARGET inline typename L::V MulDiv255(typename L::V d, typename L::V s) {
  using V = typename L::V;
  const V low = L::Set16(0xFF), magic = L::Set16(0x8081);
  const V even = L::MulloI16(L::And(d, low), L::And(s, low));
  const V odd = L::MulloI16(L::SrliI16(d, 8), L::SrliI16(s, 8));
  const V even_q = L::SrliI16(L::MulhiU16(even, magic), 7);
  const V odd_q = L::SrliI16(L::MulhiU16(odd, magic), 7);
  return L::Or(even_q, L::SlliI16(odd_q, 8));
}

// X = op(d, s) on every byte; the alpha bytes of the result are not used. The byte operations give
// the operators' results directly: a saturating add is ADD's cap, a saturating subtract
// SUBTRACT's floor, and BRIGHTEN is d plus MULTIPLY's result, saturated.
template <class L, class V = typename L::V>
MORVANE_LANE_TARGET inline V ApplyOp(BlendOp::Normal, V, V s) {
  return s;
}
template <class L, class V = typename L::V>
MORVANE_LANE_TARGET inline V ApplyOp(BlendOp::Add, V d, V s) {
  return L::AddsU8(d, s);
}
template <class L, class V = typename L::V>
MORVANE_LANE_TARGET inline V ApplyOp(BlendOp::Subtract, V d, V s) {
  return L::SubsU8(d, s);
}
template <class L, class V = typename L::V>
MORVANE_LANE_TARGET inline V ApplyOp(BlendOp::Multiply, V d, V s) {
  return MulDiv255<L>(d, s);
}
template <class L, class V = typename L::V>
MORVANE_LANE_TARGET inline V ApplyOp(BlendOp::Brighten, V d, V s) {
  return L::AddsU8(d, MulDiv255<L>(d, s));
}
template <class L, class V = typename L::V>
MORVANE_LANE_TARGET inline V ApplyOp(RopOp::SrcCopy, V, V s) {
  return s;
}
template <class L, class V = typename L::V>
MORVANE_LANE_TARGET inline V ApplyOp(RopOp::SrcPaint, V d, V s) {
  return L::Or(d, s);
}
template <class L, class V = typename L::V>
MORVANE_LANE_TARGET inline V ApplyOp(RopOp::SrcAnd, V d, V s) {
  return L::And(d, s);
}
template <class L, class V = typename L::V>
MORVANE_LANE_TARGET inline V ApplyOp(RopOp::SrcInvert, V d, V s) {
  return L::Xor(d, s);
}
template <class L, class V = typename L::V>
MORVANE_LANE_TARGET inline V ApplyOp(RopOp::SrcErase, V d, V s) {
  return L::AndNot(d, s);
}
template <class L, class V = typename L::V>
MORVANE_LANE_TARGET inline V ApplyOp(RopOp::NotSrcCopy, V, V s) {
  return L::Xor(s, L::Set8(0xFF));
}
template <class L, class V = typename L::V>
MORVANE_LANE_TARGET inline V ApplyOp(RopOp::NotSrcErase, V d, V s) {
  return L::Xor(L::Or(d, s), L::Set8(0xFF));
}

template <class L, class Op>
MORVANE_LANE_TARGET MORVANE_REALIGN_STACK void LaneWalk(const PixelView& dst, int32_t x, int32_t y,
                                                        int32_t w, int32_t h, const PixelView& src,
                                                        int32_t sx, int32_t sy) {
  using V = typename L::V;
  constexpr int32_t n = L::kPixels;
  assert(!RectSpansOverlap(dst, x, y, w, h, src, sx, sy));
  // The division raises "inexact" only; mask every exception for the walk in case the caller
  // unmasked some, and give the caller back its control and status word as it was.
  const unsigned int csr = _mm_getcsr();
  _mm_setcsr(csr | _MM_MASK_MASK);
  const V alpha = L::AlphaBytes();
  // Nothing written is read again, so the rows may go in memory order, bottom row first, which is
  // the order the hardware prefetchers follow best.
  for (int32_t i = h - 1; i >= 0; --i) {
    uint8_t* dp = PixelAt(dst, x, y + i);
    const uint8_t* sp = PixelAt(src, sx, sy + i);
    int32_t j = 0;
    for (; j + n <= w; j += n, dp += 4 * n, sp += 4 * n) {
      const V s = L::Load(sp);
      if (L::AllTransparent(s)) continue;  // nothing changes
      const V d = L::Load(dp);
      const V xs = ApplyOp<L>(Op{}, d, s);
      if (L::AllOpaque(s)) {  // a is 255 and every colour X
        L::Store(dp, L::Or(xs, alpha));
        continue;
      }
      L::Store(dp, L::Merge(d, s, xs));
    }
    for (; j < w; ++j, dp += 4, sp += 4) MergePixel<Op>(dp, sp);
  }
  _mm_setcsr(csr);
}

// The table in the rows' order of kBlendOps and kRopOps.
template <class L>
constexpr SimdWalks LaneWalks() {
  return {
      {LaneWalk<L, BlendOp::Normal>, LaneWalk<L, BlendOp::Add>, LaneWalk<L, BlendOp::Subtract>,
       LaneWalk<L, BlendOp::Multiply>, LaneWalk<L, BlendOp::Brighten>},
      {LaneWalk<L, RopOp::SrcCopy>, LaneWalk<L, RopOp::SrcPaint>, LaneWalk<L, RopOp::SrcAnd>,
       LaneWalk<L, RopOp::SrcInvert>, LaneWalk<L, RopOp::SrcErase>, LaneWalk<L, RopOp::NotSrcCopy>,
       LaneWalk<L, RopOp::NotSrcErase>},
  };
}

}  // namespace
}  // namespace morvane

#endif  // MORVANE_COMPOSITE_SIMD_LANE_WALK_H_
