// The vector rectangle walk and its table, written once over a "lanes" struct L that names one
// instruction set's vector type and primitives:
//
//   V, kPixels                          the vector and how many pixels it holds
//   Load, Store                         unaligned, kPixels pixels
//   AllTransparent(s), AllOpaque(s)     whether every pixel's alpha byte is 0, or 255
//   Set8, Set16, Set32                  every byte, 16-bit or 32-bit lane set to one value
//   AlphaBytes()                        0xFF in every alpha byte, 0 elsewhere
//   And, AndNot (~a & b), Or, Xor, AddI8, SubI8, AddsU8, SubsU8, MinU8, AddI32, SubI32,
//   MulloI16, MulhiU16, SrliI16, SlliI16, SrliI32, SlliI32
//   Weight(num, a)                      trunc(num / max(a, 1)) per 32-bit lane, through float
//   LowHalfTwice(w)                     each 32-bit lane's low 16 bits in both its halves
//   EvenOddBytes(e, o)                  the even bytes of e and the odd bytes of o
//   XWhereExact(w, x, moved)            x in the pixels whose w has bit 16 set, moved elsewhere
//   WithAlphas(colour, a)               the alpha bytes of a and the other bytes of colour
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

// The byte arithmetic the walks share, over the lanes' primitives.
template <class L>
struct LaneOps {
  using V = typename L::V;

  // d * s / 255 per byte: the 16-bit products of the even and the odd bytes, each divided by 255
  // as (p * 0x8081) >> 23.
  MORVANE_LANE_TARGET static V MulDiv255(V d, V s) {
    const V low = L::Set16(0xFF), magic = L::Set16(0x8081);
    const V even = L::MulloI16(L::And(d, low), L::And(s, low));
    const V odd = L::MulloI16(L::SrliI16(d, 8), L::SrliI16(s, 8));
    const V even_q = L::SrliI16(L::MulhiU16(even, magic), 7);
    const V odd_q = L::SrliI16(L::MulhiU16(odd, magic), 7);
    return L::Or(even_q, L::SlliI16(odd_q, 8));
  }

  // X = op(d, s) on every byte; the alpha bytes of the result are not used. The byte operations
  // give the operators' results directly: a saturating add is ADD's cap, a saturating subtract
  // SUBTRACT's floor, and BRIGHTEN is d plus MULTIPLY's result, saturated.
  MORVANE_LANE_TARGET static V Apply(BlendOp::Normal, V, V s) { return s; }
  MORVANE_LANE_TARGET static V Apply(BlendOp::Add, V d, V s) { return L::AddsU8(d, s); }
  MORVANE_LANE_TARGET static V Apply(BlendOp::Subtract, V d, V s) { return L::SubsU8(d, s); }
  MORVANE_LANE_TARGET static V Apply(BlendOp::Multiply, V d, V s) { return MulDiv255(d, s); }
  MORVANE_LANE_TARGET static V Apply(BlendOp::Brighten, V d, V s) {
    return L::AddsU8(d, MulDiv255(d, s));
  }
  MORVANE_LANE_TARGET static V Apply(RopOp::SrcCopy, V, V s) { return s; }
  MORVANE_LANE_TARGET static V Apply(RopOp::SrcPaint, V d, V s) { return L::Or(d, s); }
  MORVANE_LANE_TARGET static V Apply(RopOp::SrcAnd, V d, V s) { return L::And(d, s); }
  MORVANE_LANE_TARGET static V Apply(RopOp::SrcInvert, V d, V s) { return L::Xor(d, s); }
  MORVANE_LANE_TARGET static V Apply(RopOp::SrcErase, V d, V s) { return L::AndNot(d, s); }
  MORVANE_LANE_TARGET static V Apply(RopOp::NotSrcCopy, V, V s) { return L::Xor(s, L::Set8(0xFF)); }
  MORVANE_LANE_TARGET static V Apply(RopOp::NotSrcErase, V d, V s) {
    return L::Xor(L::Or(d, s), L::Set8(0xFF));
  }

  // kPixels merges at once, given X for every byte. The arithmetic and its proof are described in
  // simd_walks.h.
  MORVANE_LANE_TARGET static V Merge(V d, V s, V x) {
    const V sa = L::SrliI32(s, 24), da = L::SrliI32(d, 24);
    // a = da * (255 - sa) / 255 + sa, in the low 16-bit half of each pixel's lane.
    const V kept = L::MulloI16(da, L::SubI32(L::Set32(255), sa));
    const V kept_div = L::SrliI16(L::MulhiU16(kept, L::Set32(0x8081)), 7);
    const V a = L::AddI32(kept_div, sa);
    // W = trunc((sa * 65536 + a) / a), the divisor raised to 1 where a is 0.
    const V weight = L::Weight(L::Or(L::SlliI32(sa, 16), a), a);
    const V weights = L::LowHalfTwice(weight);
    // |X - d| per byte, from two saturating differences of which at most one is non-zero.
    const V up = L::SubsU8(x, d), down = L::SubsU8(d, x);
    const V size = L::Or(up, down);
    // Each channel's step, (|X - d| * W) >> 16, from a 16-bit multiply-high. The even bytes (blue,
    // red) are multiplied as they are and give the step in their low byte. The odd bytes (green,
    // alpha) are multiplied in place, i.e. times 256, and give (|X - d| * W) >> 8, whose high byte
    // is the step; a byte blend takes each from where it lies.
    const V low = L::Set16(0xFF);
    const V even_q = L::MulhiU16(L::And(size, low), weights);
    const V odd_q = L::MulhiU16(L::AndNot(low, size), weights);
    const V step = L::EvenOddBytes(even_q, odd_q);
    // step <= |X - d|, so min(step, up) is the step where X is above d and 0 elsewhere, and
    // min(step, down) the other way round: d moves by step toward X.
    const V moved = L::SubI8(L::AddI8(d, L::MinU8(step, up)), L::MinU8(step, down));
    // sa == a > 0: W is 65537 and the colour is X itself. Only then is bit 16 of W set.
    const V colour = L::XWhereExact(weight, x, moved);
    return L::WithAlphas(colour, L::SlliI32(a, 24));
  }
};

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
      const V xs = LaneOps<L>::Apply(Op{}, d, s);
      if (L::AllOpaque(s)) {  // a is 255 and every colour X
        L::Store(dp, L::Or(xs, alpha));
        continue;
      }
      L::Store(dp, LaneOps<L>::Merge(d, s, xs));
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
