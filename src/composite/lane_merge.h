// The vector walk's first layer: each vector's merge, written once over a "lanes" struct L that
// names one instruction set's vector type and primitives (lanes_sse2.h, lanes_sse41.h,
// lanes_avx2.h, lanes_avx512.h). lanes_check.h lists every primitive the walk may use, and each
// lanes header checks that its struct has them all. The rows (lane_rows.h) and the walk over boxes
// (lane_walk.h) are built on it.
//
// Each walk_*.cpp defines MORVANE_LANE_TARGET as its instruction set's target attribute and
// includes lane_walk.h once, so that every function here is built for that set, inlines its
// primitives, and stays private to that file.
#ifndef MORVANE_COMPOSITE_LANE_MERGE_H_
#define MORVANE_COMPOSITE_LANE_MERGE_H_

#ifndef MORVANE_LANE_TARGET
#error "define MORVANE_LANE_TARGET before including lane_walk.h"
#endif  // !MORVANE_LANE_TARGET

#include <xmmintrin.h>

#include <cstdint>
#include <type_traits>

#include "composite/channel_ops.h"

#define MORVANE_LANE_INLINE MORVANE_LANE_TARGET __attribute__((always_inline)) inline

namespace morvane {
namespace {

// The division of the full merge raises "inexact" (and "invalid" for 0 / 0, where both alphas are
// 0); in case the caller unmasked them, the first vector that divides masks every exception for
// the rest of the call. The caller's control and status word is given back as it was. Calls that
// divide nowhere (over screens, and over layers wherever they are clear or opaque) never touch it.
// Its fields are volatile so that they stay in memory: in a register, the flag became a value
// every loop that may arm the guard carries from vector to vector, and the compiler copied it in
// each pass of the loop over a screen, which has no use for it (up to 5 % of a 256 x 256 blit).
struct FloatGuard {
  volatile unsigned int saved = 0;
  volatile bool armed = false;
  MORVANE_LANE_INLINE void Arm() {
    if (armed) return;
    saved = _mm_getcsr();
    _mm_setcsr(saved | _MM_MASK_MASK);
    armed = true;
  }
  MORVANE_LANE_INLINE void Release() {
    if (armed) _mm_setcsr(saved);
  }
};

// Which way X lies from d for every byte pair, where the operator fixes it: ADD, BRIGHTEN and
// SRCPAINT never lower a byte, SUBTRACT, MULTIPLY and SRCAND never raise one. The merges then need
// only one of the two differences and move d one way.
enum class Way { kEither, kUp, kDown };
template <class Op, class... Ops>
constexpr bool kIsOneOf = (std::is_same<Op, Ops>::value || ...);
template <class Op>
constexpr Way kWayOf =
    kIsOneOf<Op, BlendOp::Add, BlendOp::Brighten, RopOp::SrcPaint>      ? Way::kUp
    : kIsOneOf<Op, BlendOp::Subtract, BlendOp::Multiply, RopOp::SrcAnd> ? Way::kDown
                                                                        : Way::kEither;

// Whether X's alpha byte is 255 where both alphas are: then a merge over an opaque destination
// leaves the alpha byte at 255 by itself (see MergeOverOpaque). The inverting raster operations
// leave the alpha byte uninverted (see LaneOps::Apply), which keeps it at 255 there too.
template <class Op>
constexpr bool kKeepsOpaqueAlpha = Op::Apply(255, 255) == 255;
template <>
constexpr bool kKeepsOpaqueAlpha<RopOp::NotSrcCopy> = true;
template <>
constexpr bool kKeepsOpaqueAlpha<RopOp::NotSrcErase> = true;

// A vector whose value the compiler may no longer see. Left visible, GCC rebuilds constants inside
// the loops (a move and a broadcast each time) rather than keep them in a register; hidden, they
// stay where they were made, in a register or, when registers run short, in a stack slot read as
// a memory operand.
template <class V>
MORVANE_LANE_INLINE V KeepInRegister(V v) {
  if constexpr (sizeof(V) == 64) {
    __asm__("" : "+v"(v));
  } else {
    __asm__("" : "+x"(v));
  }
  return v;
}

// The byte arithmetic the walks share, over the lanes' primitives. The constants are made once
// per call, outside the loops.
template <class L>
struct LaneOps {
  using V = typename L::V;
  const V alphas, low, greens, colours, one, magic;

  MORVANE_LANE_INLINE LaneOps()
      : alphas(KeepInRegister(L::AlphaBytes())),      // 0xFF in every alpha byte
        low(KeepInRegister(L::Set16(0xFF))),          // the low byte of every 16-bit lane
        greens(KeepInRegister(L::Set32(0xFF00))),     // the green byte of every pixel
        colours(KeepInRegister(L::Set32(0xFFFFFF))),  // every byte but the alpha byte
        one(KeepInRegister(L::Set16(1))),
        magic(KeepInRegister(L::Set16(0x8081))) {}  // x / 255 == (x * 0x8081) >> 23 for x <= 65535

  // Each 16-bit lane's product, at most 65025, divided by 255 as (p * 0x8081) >> 23.
  MORVANE_LANE_INLINE V Div255(V p) const { return L::SrliI16(L::MulhiU16(p, magic), 7); }

  // d * s / 255 per byte. The even bytes' 16-bit products are divided as above. The odd bytes are
  // multiplied in place, each times 256, so that a multiply-high gives their product p; then
  // q = (p * 0x8081) >> 16 is below 2^15 and q << 1 holds p / 255 in its high byte.
  MORVANE_LANE_INLINE V MulDiv255(V d, V s) const {
    const V even = L::MulloI16(L::And(d, low), L::And(s, low));
    const V odd = L::MulhiU16(L::AndNot(low, d), L::AndNot(low, s));
    return L::EvenOddBytes(Div255(even), L::SlliI16(L::MulhiU16(odd, magic), 1));
  }

  // X = op(d, s) on every byte. The byte operations give the operators' results directly: a
  // saturating add is ADD's cap, a saturating subtract SUBTRACT's floor, and BRIGHTEN is d plus
  // MULTIPLY's result, saturated. X's alpha byte counts only over an opaque destination where
  // sa == 255 (see MergeOverOpaque); the inverting raster operations invert the colour bytes
  // alone, so that there it stays 255 (s, or d | s) with no byte to set afterwards.
  MORVANE_LANE_INLINE V Apply(BlendOp::Normal, V, V s) const { return s; }
  MORVANE_LANE_INLINE V Apply(BlendOp::Add, V d, V s) const { return L::AddsU8(d, s); }
  MORVANE_LANE_INLINE V Apply(BlendOp::Subtract, V d, V s) const { return L::SubsU8(d, s); }
  MORVANE_LANE_INLINE V Apply(BlendOp::Multiply, V d, V s) const { return MulDiv255(d, s); }
  MORVANE_LANE_INLINE V Apply(BlendOp::Brighten, V d, V s) const {
    return L::AddsU8(d, MulDiv255(d, s));
  }
  MORVANE_LANE_INLINE V Apply(RopOp::SrcCopy, V, V s) const { return s; }
  MORVANE_LANE_INLINE V Apply(RopOp::SrcPaint, V d, V s) const { return L::Or(d, s); }
  MORVANE_LANE_INLINE V Apply(RopOp::SrcAnd, V d, V s) const { return L::And(d, s); }
  MORVANE_LANE_INLINE V Apply(RopOp::SrcInvert, V d, V s) const { return L::Xor(d, s); }
  MORVANE_LANE_INLINE V Apply(RopOp::SrcErase, V d, V s) const { return L::AndNot(d, s); }
  MORVANE_LANE_INLINE V Apply(RopOp::NotSrcCopy, V, V s) const { return L::Xor(s, colours); }
  MORVANE_LANE_INLINE V Apply(RopOp::NotSrcErase, V d, V s) const {
    return L::Xor(L::Or(d, s), colours);
  }

  // How far X lies from d, per byte: up = max(X - d, 0), down = max(d - X, 0), of which at most
  // one is non-zero, and size = |X - d|.
  template <Way way>
  struct Gap {
    V up, down, size;
    MORVANE_LANE_INLINE Gap(V d, V x) {
      if constexpr (way != Way::kDown) up = L::SubsU8(x, d);
      if constexpr (way != Way::kUp) down = L::SubsU8(d, x);
      if constexpr (way == Way::kEither) size = L::Or(up, down);
      if constexpr (way == Way::kUp) size = up;
      if constexpr (way == Way::kDown) size = down;
    }
    // d moved toward X by `step` <= size per byte: where X may lie either way, min(step, up) is
    // the step where X is above d and 0 elsewhere, min(step, down) the other way round.
    MORVANE_LANE_INLINE V Move(V d, V step) const {
      if constexpr (way == Way::kUp) return L::AddI8(d, step);
      if constexpr (way == Way::kDown) return L::SubI8(d, step);
      return L::SubI8(L::AddI8(d, L::MinU8(step, up)), L::MinU8(step, down));
    }
  };

  // kPixels merges onto opaque destination pixels: a is 255, so each channel steps by
  // floor(|X - d| * sa / 255) toward X and the alpha stays 255. That step is (|X - d| * w) >> 16
  // with w = sa * 257 + 1 (checked over every input in the tests), a multiply-high per 16-bit lane
  // as in Merge below; w is sa in both bytes of a 16-bit lane, plus one. The alpha byte is left
  // out of the products, so it steps only where sa == 255 (see StepByWeight), to X's alpha; for
  // most operators that is 255, and then no byte needs setting afterwards.
  template <class Op>
  MORVANE_LANE_INLINE V MergeOverOpaque(V d, V s, V x) const {
    const V moved = StepByWeight<kWayOf<Op>>(d, x, L::AddI16(L::AlphaBothBytes(s), one));
    if constexpr (kKeepsOpaqueAlpha<Op>) return moved;
    return L::Or(moved, alphas);
  }

  // d moved toward X by (|X - d| * w) >> 16 per colour byte, w per 16-bit lane, and to X itself
  // (the alpha byte too) where w is 0; the alpha byte stays as it was elsewhere.
  template <Way way>
  MORVANE_LANE_INLINE V StepByWeight(V d, V x, V w) const {
    const Gap<way> gap(d, x);
    const V even_q = L::MulhiU16(L::And(gap.size, low), w);
    const V odd_q = L::MulhiU16(L::And(gap.size, greens), w);
    // w == 0 (sa == 255 over an opaque pixel): the colour is X itself. Where X lies one way from d
    // and the lanes blend bytes in one instruction, X is selected; otherwise the step is made all
    // ones and cut at X.
    V step = L::EvenOddBytes(even_q, odd_q);
    if constexpr (way != Way::kEither && L::Tuning::kOpaqueSelectsX) {
      return L::XWhereOpaque(w, x, gap.Move(d, step));
    } else {
      step = L::Or(step, L::CmpEqI16(w, L::Zero()));
      if constexpr (way != Way::kEither) step = L::MinU8(step, gap.size);
      return gap.Move(d, step);
    }
  }

  // Each pixel's alpha bit 7 spread over its lane: all ones where the pixel is opaque and 0 where
  // it is clear, for a destination whose alphas are all 0 or 255 (a cleared layer, where sprites
  // have covered it or not).
  MORVANE_LANE_INLINE static V OpaqueLanes(V d) { return L::SraiI32(d, 31); }
  // Whether every alpha of d is 0 or 255, given OpaqueLanes(d): those alone agree with it.
  MORVANE_LANE_INLINE bool AllClearOrOpaque(V d, V opaque) const {
    return L::AllTransparent(L::Xor(d, opaque), alphas);
  }

  // kPixels merges onto destination pixels that are each clear or opaque, without the full
  // merge's division. An opaque one takes the merge over an opaque destination. A clear one
  // (da == 0) has a = sa: where sa > 0 every colour byte becomes X, which is that merge's w of 0,
  // and where sa == 0 nothing changes, which is its w of 1 already. Then a = da | sa in both
  // cases. The alpha byte that StepByWeight leaves is da where w is not 0, and X's where it is:
  // there X's alpha is op(255, 255) over an opaque pixel, and op(0, sa) over a clear one, which is
  // 0 or sa for every operator. Or-ing in sa therefore gives a wherever the alphas are 0 or 255.
  template <class Op>
  MORVANE_LANE_INLINE V MergeOverClearOrOpaque(V d, V s, V x, V opaque) const {
    const V sa = L::AlphaBothBytes(s);
    const V w = L::And(L::AddI16(sa, one), L::Or(opaque, L::CmpEqI16(sa, L::Zero())));
    return L::Or(StepByWeight<kWayOf<Op>>(d, x, w), L::And(s, alphas));
  }

  // kPixels full merges, given X for every byte, in two halves: the new alpha and the weight, which
  // take most of each vector's time, and the colour, which waits for them (see LayerRow in
  // lane_rows.h). The arithmetic and its proof are described in simd_walks.h. The guard must be
  // armed first.
  struct FullWeight {
    V weight, a;
  };
  MORVANE_LANE_INLINE FullWeight FullAlpha(V d, V s) const {
    // a = da * (255 - sa) / 255 + sa. The product is made where the alpha bytes lie, in the high
    // 16-bit half of each pixel's lane, each byte times 256 so that a multiply-high gives it; the
    // low half is 0 there, so one shift of the whole lane takes the quotient down from the high
    // half. Each vector's time is set by this chain, up to the division, more than by its count of
    // instructions: shifting and subtracting the alphas first, then multiplying, took a step more.
    const V kept = L::MulhiU16(L::AndNot(s, alphas), L::And(d, alphas));
    const V quotient = L::SrliI32(L::MulhiU16(kept, magic), 23);
    const V a = L::AddI32(quotient, L::SrliI32(s, 24));
    // W = trunc((sa * 65536 + a) / a); where a is 0 its low half is 0 and bit 16 clear. The
    // numerator is the same sum as a, with sa in the high half too.
    return {L::Weight(L::AddI32(quotient, L::AlphaBothHalves(s)), a), a};
  }
  template <Way way>
  MORVANE_LANE_INLINE V FullColour(V d, V x, const FullWeight& fw) const {
    const V weights = L::LowHalfTwice(fw.weight);
    const Gap<way> gap(d, x);
    // Each channel's step, (|X - d| * W) >> 16, from a 16-bit multiply-high. The even bytes (blue,
    // red) are multiplied as they are and give the step in their low byte. The odd bytes (green,
    // alpha) are multiplied in place, i.e. times 256, and give (|X - d| * W) >> 8, whose high byte
    // is the step; a byte blend takes each from where it lies.
    const V even_q = L::MulhiU16(L::And(gap.size, low), weights);
    const V odd_q = L::MulhiU16(L::AndNot(low, gap.size), weights);
    const V step = L::EvenOddBytes(even_q, odd_q);
    // sa == a > 0: W is 65537 and the colour is X itself. Only then is bit 16 of W set. Where X may
    // lie either way, Move stops any step at X, so on some lanes a step of all ones there (W is
    // `one` in both halves) costs less than selecting X afterwards.
    V colour;
    if constexpr (way == Way::kEither && L::Tuning::kFullStepToX) {
      colour = gap.Move(d, L::Or(step, L::CmpEqI32(fw.weight, one)));
    } else {
      colour = L::XWhereExact(fw.weight, x, gap.Move(d, step));
    }
    return L::WithAlphas(colour, L::SlliI32(fw.a, 24));
  }
  template <Way way>
  MORVANE_LANE_INLINE V FullMerge(V d, V s, V x) const {
    return FullColour<way>(d, x, FullAlpha(d, s));
  }

  // Whether every source pixel of the vector is clear: then nothing changes.
  MORVANE_LANE_INLINE bool AllClear(V s) const { return L::AllTransparent(s, alphas); }

  // The merge of kPixels pixels into *out, by the cheapest rule that holds for all of them; false
  // when nothing would change (every source pixel clear over a destination that is not opaque).
  // Over an opaque destination (a screen), and over one whose alphas are all 0 or 255 (a layer
  // that sprites have covered or not), the cheaper merges are exact for every source alpha, so
  // the source's alphas are not looked at: no branch there for sprites' edges to mispredict.
  // kOverLayer (a destination that is not opaque; see LoneBox in lane_walk.h) does not look for an
  // opaque one, and gives every other vector whose source is not all clear the full merge, which is
  // exact for any pixels.
  template <class Op, bool kOverLayer>
  MORVANE_LANE_INLINE bool MergeCheapest(V d, V s, FloatGuard& guard, V* out) const {
    if constexpr (!kOverLayer) {
      if (L::AllOpaque(d, alphas)) {
        *out = MergeOverOpaque<Op>(d, s, Apply(Op{}, d, s));
        return true;
      }
    }
    const V opaque = OpaqueLanes(d);
    if (AllClearOrOpaque(d, opaque)) {
      *out = MergeOverClearOrOpaque<Op>(d, s, Apply(Op{}, d, s), opaque);
      return true;
    }
    if (AllClear(s)) return false;
    const V x = Apply(Op{}, d, s);
    if (!kOverLayer &&
        L::AllOpaque(s, alphas)) {  // an opaque source gives a = 255 and every colour X
      *out = L::Or(x, alphas);
    } else {
      guard.Arm();
      *out = FullMerge<kWayOf<Op>>(d, s, x);
    }
    return true;
  }
};

}  // namespace
}  // namespace morvane

#endif  // MORVANE_COMPOSITE_LANE_MERGE_H_
