// The vector walk and its table, written once over a "lanes" struct L that names one instruction
// set's vector type and primitives (lanes_sse2.h, lanes_sse41.h, lanes_avx2.h, lanes_avx512.h).
// lanes_check.h lists every primitive the walk may use, and each lanes header checks that its
// struct has them all.
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
#include <type_traits>

#include "composite/channel_ops.h"
#include "composite/simd_walks.h"

#define MORVANE_LANE_INLINE MORVANE_LANE_TARGET __attribute__((always_inline)) inline

namespace morvane {
namespace {

// The division of the full merge raises "inexact" (and "invalid" for 0 / 0, where both alphas are
// 0); in case the caller unmasked them, the first vector that divides masks every exception for
// the rest of the call. The caller's control and status word is given back as it was. Calls that
// divide nowhere (over screens, and over layers wherever they are clear or opaque) never touch it.
struct FloatGuard {
  unsigned int saved = 0;
  bool armed = false;
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

// Whether the walks have 16 vector registers or more (x86-64) rather than 8 (32-bit x86). A 64-bit
// build can be told to lay the walks out for eight with MORVANE_VECTOR_REGISTERS=8: the bench's
// stand-in for the 32-bit DLL does, and so does the test command's sanitizer build, so that the
// native tests check both layouts.
#ifndef MORVANE_VECTOR_REGISTERS
#ifdef __i386__
#define MORVANE_VECTOR_REGISTERS 8
#else
#define MORVANE_VECTOR_REGISTERS 16
#endif  // __i386__
#endif  // !MORVANE_VECTOR_REGISTERS
constexpr bool kManyVectorRegisters = MORVANE_VECTOR_REGISTERS >= 16;

// Which way X lies from d for every byte pair, where the operator fixes it: ADD, BRIGHTEN and
// SRCPAINT never lower a byte, SUBTRACT, MULTIPLY and SRCAND never raise one. The merges then need
// only one of the two differences and move d one way.
enum class Way { kEither, kUp, kDown };
template <class Op>
constexpr Way kWayOf = Way::kEither;
template <>
constexpr Way kWayOf<BlendOp::Add> = Way::kUp;
template <>
constexpr Way kWayOf<BlendOp::Brighten> = Way::kUp;
template <>
constexpr Way kWayOf<RopOp::SrcPaint> = Way::kUp;
template <>
constexpr Way kWayOf<BlendOp::Subtract> = Way::kDown;
template <>
constexpr Way kWayOf<BlendOp::Multiply> = Way::kDown;
template <>
constexpr Way kWayOf<RopOp::SrcAnd> = Way::kDown;

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
  // take most of each vector's time, and the colour, which waits for them (see the walk's Row). The
  // arithmetic and its proof are described in simd_walks.h. The guard must be armed first.
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
  // kOverLayer (a destination that is not opaque; see LoneBox) does not look for an opaque one, and
  // gives every other vector whose source is not all clear the full merge, which is exact for any
  // pixels.
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

// A small blit at a random place (a sprite on a screen) finds its destination rows out of cache,
// and a walk meets each row's miss only when it reaches that row. Asking for every line first, in
// the walk's order, lets the misses overlap. Larger blits read their rows in order, which the
// hardware prefetchers follow. Only for one box: over a region's many boxes, all of them in cache
// as the bench draws them, the requests cost more than they saved.
MORVANE_LANE_INLINE void PrefetchSmall(const uint8_t* first_row, ptrdiff_t step, int32_t w,
                                       int32_t rows) {
  const int32_t bytes = 4 * w;
  if (int64_t{bytes} * rows > 4 * 64 * 64) return;  // 64 x 64 pixels at most
  // Every line a row touches: the ones its first and last bytes lie in, and one per 64 bytes
  // between them. A row of 16 pixels or fewer (the commonest sprites) has no lines between.
  const char* const first = reinterpret_cast<const char*>(first_row);
  if (bytes <= 64) {
    for (int32_t i = 0; i < rows; ++i) {
      _mm_prefetch(first + i * step, _MM_HINT_T0);
      _mm_prefetch(first + i * step + bytes - 1, _MM_HINT_T0);
    }
    return;
  }
  for (int32_t i = 0; i < rows; ++i) {
    const char* const row = first + i * step;
    for (int32_t j = 0; j < bytes; j += 64) _mm_prefetch(row + j, _MM_HINT_T0);
    _mm_prefetch(row + bytes - 1, _MM_HINT_T0);
  }
}

// A box too large for the nearer caches reads its rows from memory. The merges' arithmetic fills
// the processor's window only a few vectors ahead, too few misses at once to keep memory busy (the
// full merge and MULTIPLY's reached half and two thirds of a plain copy's speed): asking for the
// bytes this far ahead of the vector being merged lets the misses overlap the arithmetic. A
// request past the end of a buffer is only a hint and never faults. Boxes that fit in cache do not
// ask; there the requests would only take load slots.
constexpr int32_t kFarAhead = 512;                // bytes ahead in both rows
constexpr int64_t kFarPixels = int64_t{1} << 16;  // a 256 x 256 box and smaller stay near

// Asks for the bytes kAhead past both pixels, if kAhead is not 0.
template <int32_t kAhead>
MORVANE_LANE_INLINE void AskAhead(const uint8_t* dp, const uint8_t* sp) {
  if constexpr (kAhead > 0) {
    _mm_prefetch(reinterpret_cast<const char*>(dp + kAhead), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(sp + kAhead), _MM_HINT_T0);
  }
}

// The walks of lanes L. Rows shorter than L's vector take N's vectors when N is narrower (the
// AVX-512 walks take AVX2's), and one L vector filled with their own pixels otherwise.
template <class L, class N = L>
struct LaneWalker {
  template <class Op>
  struct Walk {
    using V = typename L::V;
    static constexpr int32_t kPixels = L::kPixels;

    // The narrower lanes' constants, made only where they are other lanes.
    struct NarrowOps {
      std::conditional_t<std::is_same<L, N>::value, const LaneOps<L>&, const LaneOps<N>> ops;
      MORVANE_LANE_INLINE explicit NarrowOps(const LaneOps<L>& wide) : ops(Make(wide)) {}
      MORVANE_LANE_INLINE const LaneOps<N>& get() const { return ops; }
      MORVANE_LANE_INLINE static decltype(ops) Make(const LaneOps<L>& wide) {
        if constexpr (std::is_same<L, N>::value) {
          return wide;
        } else {
          return LaneOps<N>();
        }
      }
    };

    // A vector of the full merge begun: its destination, X, the weight and the new alpha.
    struct FullStage {
      V d, x;
      typename LaneOps<L>::FullWeight fw;
    };
    MORVANE_LANE_INLINE static FullStage StartFull(const LaneOps<L>& ops, V d, V s) {
      return FullStage{d, ops.Apply(Op{}, d, s), ops.FullAlpha(d, s)};
    }
    MORVANE_LANE_INLINE static void FinishFull(const LaneOps<L>& ops, const FullStage& st,
                                               uint8_t* dp) {
      L::Store(dp, ops.template FullColour<kWayOf<Op>>(st.d, st.x, st.fw));
    }

    // Whether the alphas of d, the vector at dp, are all 0 or 255, so that it needs no weight.
    // Over a destination whose alphas vary, the vector instructions are the full merge's
    // bottleneck and the integer ones idle, so the first pixel's alpha is looked at first: it
    // rules out almost every vector of such a destination without a vector instruction.
    MORVANE_LANE_INLINE static bool NeedsNoWeight(const LaneOps<L>& ops, V d, const uint8_t* dp) {
      return uint8_t(dp[3] + 1) <= 1 && ops.AllClearOrOpaque(d, ops.OpaqueLanes(d));
    }
    // The merge of d and s, destination alphas all 0 or 255, stored at dp.
    MORVANE_LANE_INLINE static void MergeWithoutWeight(const LaneOps<L>& ops, V d, V s,
                                                       uint8_t* dp) {
      L::Store(dp, ops.template MergeOverClearOrOpaque<Op>(d, s, ops.Apply(Op{}, d, s),
                                                           ops.OpaqueLanes(d)));
    }
    // The row's vectors from its start up to `last` merged and stored while their destination
    // alphas are all 0 or 255; the offset of the first that needs a weight, or `last` and beyond.
    // The vectors lie apart, and none is read again once stored (see Row).
    MORVANE_LANE_INLINE static int32_t MergeUntilWeightNeeded(const LaneOps<L>& ops, uint8_t* dp,
                                                              const uint8_t* sp, int32_t last) {
      int32_t j = 0;
      for (; j < last; j += 4 * kPixels) {
        const V d = L::Load(dp + j), s = L::Load(sp + j);
        if (!NeedsNoWeight(ops, d, dp + j)) break;
        MergeWithoutWeight(ops, d, s, dp + j);
      }
      return j;
    }

    // One row of w pixels. A row shorter than a vector takes one vector of its own pixels (see
    // LoadShort). A longer one takes whole vectors from its start and one more that ends where the
    // row ends; that one may overlap the vector before it, so it is merged first, from the
    // destination as it was, and stored last: the pixels both cover get the same bytes from
    // both. No pixel is merged by anything but a vector, and no branch depends on the width's
    // remainder.
    template <bool kOverLayer, int32_t kAhead = 0>
    MORVANE_LANE_INLINE static void Row(const LaneOps<L>& ops, const LaneOps<N>& narrow,
                                        FloatGuard& guard, uint8_t* dp, const uint8_t* sp,
                                        int32_t w) {
      if (w < kPixels) {
        if constexpr (!std::is_same<L, N>::value) {
          LaneWalker<N>::template Walk<Op>::template Row<kOverLayer>(narrow, narrow, guard, dp, sp,
                                                                     w);
        } else {
          // Lanes beyond the row, where there are any, count as a clear source over an opaque
          // destination, so that a short row over one keeps the cheaper merge.
          V merged;
          if (ops.template MergeCheapest<Op, kOverLayer>(L::LoadShort(dp, w, ops.alphas),
                                                         L::LoadShort(sp, w, L::Zero()), guard,
                                                         &merged)) {
            L::StoreShort(dp, merged, w);
          }
        }
        return;
      }
      const int32_t last = 4 * (w - kPixels);
      // A row of more than one vector and at most two (a 16-pixel sprite's on AVX2) over an opaque
      // destination: one test for both vectors, and no loop. Both are merged from the destination
      // as it was before either is stored, as above.
      if constexpr (!kOverLayer) {
        if (w > kPixels && w <= 2 * kPixels) {
          const V d0 = L::Load(dp), d1 = L::Load(dp + last);
          if (L::AllOpaque(L::And(d0, d1), ops.alphas)) {
            const V s0 = L::Load(sp), s1 = L::Load(sp + last);
            const V m0 = ops.template MergeOverOpaque<Op>(d0, s0, ops.Apply(Op{}, d0, s0));
            L::Store(dp + last, ops.template MergeOverOpaque<Op>(d1, s1, ops.Apply(Op{}, d1, s1)));
            L::Store(dp, m0);
            return;
          }
        }
      }
      V last_merged, merged;
      const bool last_changes = ops.template MergeCheapest<Op, kOverLayer>(
          L::Load(dp + last), L::Load(sp + last), guard, &last_merged);
      // Over a layer, a vector whose destination alphas are all 0 or 255 is merged without a
      // division, at once; every other one takes the full merge, whose colour waits long for its
      // weight. Made one vector after another, the instructions waiting on each division fill
      // the processor's queues and hold back the vectors behind them. So the weights are made
      // ahead of the colours: with 16 vector registers, each vector's while the one begun before
      // it is finished; with eight, where those values would spill, for up to kRun vectors at a
      // time into a buffer, which a second pass reads with the pixels again. Either way is 3-15 %
      // faster than one vector at a time, and slower than the other where that is used. Over
      // alphas that vary, those vectors are bound by the vector instructions, so the test that
      // picks the merge starts in the integer unit (see NeedsNoWeight), and no clear source is
      // looked for.
      constexpr int32_t kStep = 4 * kPixels;
      if constexpr (kOverLayer) {
        // The vectors up to the first that needs a weight go without the guard, which is armed
        // (once per call) only then: a blit onto a layer that is clear or opaque wherever it
        // draws never touches the control word (a sixth of a 16-pixel sprite's time), and the
        // loops below never test whether it did. Boxes too large for the nearer caches skip that
        // first loop: over alphas that vary, their rows took 5 % longer with it. A clear source
        // is not looked for: by the time its test could tell, the division has begun, and the
        // full merge leaves such pixels as they were.
        int32_t j = 0;
        if constexpr (kAhead == 0) j = MergeUntilWeightNeeded(ops, dp, sp, last);
        if (j < last) {
          guard.Arm();
          if constexpr (kManyVectorRegisters) {
            // Each vector that needs a weight is begun before the one begun last is finished;
            // one that needs none is merged and stored at once, and the one begun waits.
            FullStage ahead = StartFull(ops, L::Load(dp + j), L::Load(sp + j));
            uint8_t* ahead_at = dp + j;
            for (j += kStep; j < last; j += kStep) {
              AskAhead<kAhead>(dp + j, sp + j);
              const V d = L::Load(dp + j), s = L::Load(sp + j);
              if (NeedsNoWeight(ops, d, dp + j)) {
                MergeWithoutWeight(ops, d, s, dp + j);
                continue;
              }
              const FullStage next = StartFull(ops, d, s);
              FinishFull(ops, ahead, ahead_at);
              ahead = next, ahead_at = dp + j;
            }
            FinishFull(ops, ahead, ahead_at);
          } else {
            // The vectors that need no weight are merged in the first pass, and their bits in
            // `done` keep the second from reading back what the first stored.
            constexpr int32_t kRun = 16;
            typename LaneOps<L>::FullWeight weights[kRun];
            for (int32_t first = j; first < last; first += kRun * kStep) {
              const int32_t end = last - first < kRun * kStep ? last : first + kRun * kStep;
              uint32_t done = 0;
              for (int32_t i = first, k = 0; i < end; i += kStep, ++k) {
                AskAhead<kAhead>(dp + i, sp + i);
                const V d = L::Load(dp + i), s = L::Load(sp + i);
                if (NeedsNoWeight(ops, d, dp + i)) {
                  MergeWithoutWeight(ops, d, s, dp + i);
                  done |= uint32_t{1} << k;
                } else {
                  weights[k] = ops.FullAlpha(d, s);
                }
              }
              for (int32_t i = first, k = 0; i < end; i += kStep, ++k) {
                if (done >> k & 1) continue;
                const V d = L::Load(dp + i), s = L::Load(sp + i);
                FinishFull(ops, FullStage{d, ops.Apply(Op{}, d, s), weights[k]}, dp + i);
              }
            }
          }
        }
        if (last_changes) L::Store(dp + last, last_merged);
        return;
      }
      for (int32_t j = 0; j < last; j += kStep) {
        AskAhead<kAhead>(dp + j, sp + j);
        if (ops.template MergeCheapest<Op, kOverLayer>(L::Load(dp + j), L::Load(sp + j), guard,
                                                       &merged)) {
          L::Store(dp + j, merged);
        }
      }
      if (last_changes) L::Store(dp + last, last_merged);
    }

    // The rows of one box, in the order they are stored (the band walk below says why), asking
    // first for the destination's lines where `prefetch` says so. No pointer is made past the last
    // row: it could lie beyond the buffer. Rows at most half a vector wide go two to a merge where
    // the lanes can hold them (glyph stems, thin lines).
    template <bool kOverLayer, int32_t kAhead = 0>
    MORVANE_LANE_INLINE static void Box(const LaneOps<L>& ops, const LaneOps<N>& narrow,
                                        FloatGuard& guard, const BlitViews& b, const ClipBox box,
                                        bool prefetch) {
      const int32_t w = box.right - box.left, rows = box.bottom - box.top;
      if constexpr (!std::is_same<L, N>::value) {  // too narrow for L: N's rows, or pairs of them
        if (w < kPixels) {
          return LaneWalker<N>::template Walk<Op>::template Box<kOverLayer>(narrow, narrow, guard,
                                                                            b, box, prefetch);
        }
      }
      assert(!RectSpansOverlap(b.dst, b.x + box.left, b.y + box.top, w, rows, b.src,
                               b.sx + box.left, b.sy + box.top));
      // Rows go in the destination's memory order: from the bottom row up where its rows are
      // stored bottom-up (every host bitmap), from the top down otherwise.
      const bool up = b.dst.stride < 0;
      const int32_t first_row = up ? box.bottom - 1 : box.top;
      const ptrdiff_t dst_step = up ? -b.dst.stride : b.dst.stride;
      const ptrdiff_t src_step = up ? -b.src.stride : b.src.stride;
      uint8_t* dp = PixelAt(b.dst, b.x + box.left, b.y + first_row);
      const uint8_t* sp = PixelAt(b.src, b.sx + box.left, b.sy + first_row);
      if (prefetch) PrefetchSmall(dp, dst_step, w, rows);
      int32_t i = rows;
      if constexpr (L::Tuning::kPairsRows) {
        if (w <= kPixels / 2) {  // two rows to a vector, as long as two are left
          for (; i > 1; i -= 2) {
            V merged;
            if (ops.template MergeCheapest<Op, kOverLayer>(L::LoadRowPair(dp, dp + dst_step, w),
                                                           L::LoadRowPair(sp, sp + src_step, w),
                                                           guard, &merged)) {
              L::StoreRowPair(dp, dp + dst_step, merged, w);
            }
            if (i > 2) dp += 2 * dst_step, sp += 2 * src_step;
          }
        }
      }
      // Rows more than half a vector wide but shorter than one load a whole vector from their
      // start where one fits inside both images (from every row: see BytesToImageEnd): one load
      // per buffer rather than two and an insert. The lanes beyond the row hold the bytes that
      // follow it; they are merged but never stored.
      if constexpr (std::is_same<L, N>::value) {
        if (2 * w > kPixels && w < kPixels &&
            BytesToImageEnd(b.dst, b.x + box.left, b.y + box.top, b.y + box.bottom) >=
                4 * kPixels &&
            BytesToImageEnd(b.src, b.sx + box.left, b.sy + box.top, b.sy + box.bottom) >=
                4 * kPixels) {
          for (; i > 0; --i) {
            V merged;
            if (ops.template MergeCheapest<Op, kOverLayer>(L::Load(dp), L::Load(sp), guard,
                                                           &merged)) {
              L::StoreFirst(dp, merged, w);
            }
            if (i > 1) dp += dst_step, sp += src_step;
          }
          return;
        }
      }
      // The offsets from a row may run past the last one; only rows in the box are reached through
      // them.
      for (ptrdiff_t to = 0, from = 0; i > 0; --i, to += dst_step, from += src_step) {
        Row<kOverLayer, kAhead>(ops, narrow, guard, dp + to, sp + from, w);
      }
    }

    // A blit of one box at least a vector wide that Run hands on whole: where the destination is
    // not opaque where the walk begins, at the end of its bottom row (a layer rather than a
    // screen), every vector whose destination alphas are all 0 or 255 takes the merge without a
    // division and every other one the full merge, since the tests for the other cheaper merges
    // would cost more than they save (see Row); and a box too large for the nearer caches asks for
    // its bytes ahead (see kFarAhead). Out of line, with its own constants: inside Run they are
    // read back from memory after every store, and a call there costs every other blit the
    // registers it keeps.
    template <bool kOverLayer, int32_t kAhead>
    MORVANE_LANE_TARGET MORVANE_REALIGN_STACK __attribute__((noinline)) static void LoneBox(
        const BlitViews& b, const ClipBox box) {
      FloatGuard guard;
      const LaneOps<L> ops;
      const NarrowOps narrow(ops);
      Box<kOverLayer, kAhead>(ops, narrow.get(), guard, b, box, true);
      guard.Release();
    }

    MORVANE_LANE_TARGET MORVANE_REALIGN_STACK static void Run(const BlitViews& b,
                                                              const ClipBox* boxes, size_t count) {
      // A blit narrower than L's vector is walked by N alone, which makes only N's constants.
      if constexpr (!std::is_same<L, N>::value) {
        if (count == 1 && boxes[0].right - boxes[0].left < kPixels) {
          return LaneWalker<N>::template Walk<Op>::Run(b, boxes, count);
        }
      }
      // One box over a layer with alpha, or too large for the caches: see LoneBox.
      if (count == 1 && boxes[0].right - boxes[0].left >= kPixels) {
        const ClipBox box = boxes[0];
        const bool far = int64_t{box.right - box.left} * (box.bottom - box.top) > kFarPixels;
        if (!L::AllOpaque(L::Load(PixelAt(b.dst, b.x + box.right - kPixels, b.y + box.bottom - 1)),
                          L::AlphaBytes())) {
          return far ? LoneBox<true, kFarAhead>(b, box) : LoneBox<true, 0>(b, box);
        }
        if (far) return LoneBox<false, kFarAhead>(b, box);
      }
      FloatGuard guard;
      const LaneOps<L> ops;
      const NarrowOps narrow(ops);
      // One box, as every rectangle blit has: none of the band walk's bookkeeping. Small sprites
      // are mostly this, and only they ask for their lines first.
      if (count == 1) {
        Box<false>(ops, narrow.get(), guard, b, boxes[0], true);
        guard.Release();
        return;
      }
      // Copies, so that the compiler need not read them again after every store to the pixels.
      const PixelView dst = b.dst, src = b.src;
      const int32_t x = b.x, y = b.y, sx = b.sx, sy = b.sy;
      // Boxes that follow one another with the same rows form a band (as a region's do), walked
      // row by row. Nothing written is read again, so the rows may go in memory order: the last
      // band first (boxes come top to bottom), each from its bottom row, which is the order the
      // hardware prefetchers follow best.
      for (size_t end = count, first; end > 0; end = first) {
        const int32_t top = boxes[end - 1].top, bottom = boxes[end - 1].bottom;
        for (first = end - 1;
             first > 0 && boxes[first - 1].top == top && boxes[first - 1].bottom == bottom;
             --first) {
        }
        // A band of one box walks as a one-box blit does, unless it is one row high (as each row
        // of a round region is): then the box's set-up would cost more than its one Row below.
        if (first + 1 == end && bottom - top > 1) {
          Box<false>(ops, narrow.get(), guard, b, boxes[first], false);
          continue;
        }
        for (int32_t i = bottom - 1; i >= top; --i) {
          uint8_t* const dst_row = PixelAt(dst, x, y + i);
          const uint8_t* const src_row = PixelAt(src, sx, sy + i);
          for (size_t k = first; k < end; ++k) {
            const ClipBox& box = boxes[k];
            assert(!RectSpansOverlap(dst, x + box.left, y + top, box.right - box.left, bottom - top,
                                     src, sx + box.left, sy + top));
            Row<false>(ops, narrow.get(), guard, dst_row + 4 * box.left, src_row + 4 * box.left,
                       box.right - box.left);
          }
        }
      }
      guard.Release();
    }

    // SRCCOPY-like walk through the coverage mask: each box row as Row walks it, with the pixels
    // the mask leaves out made clear in the source as it is loaded, so that they change nothing.
    // The boxes must start at the rectangle's left edge and be at least a vector wide (ClipBlt
    // passes the whole rectangle). A region of many small rectangles costs the mask and the
    // vectors it touches, not a walk of each rectangle.
    MORVANE_LANE_TARGET MORVANE_REALIGN_STACK static void RunCovered(const BlitViews& b,
                                                                     const ClipBox* boxes,
                                                                     size_t count) {
      FloatGuard guard;
      const LaneOps<L> ops;
      constexpr uint64_t kLanes = (uint64_t{1} << kPixels) - 1;
      for (size_t k = count; k-- > 0;) {
        const ClipBox& box = boxes[k];
        const int32_t w = box.right - box.left, last = w - kPixels;
        assert(w >= kPixels && box.left == 0 && 64 % kPixels == 0);
        for (int32_t i = box.bottom - 1; i >= box.top; --i) {
          const uint64_t* mask = b.coverage + size_t(i) * b.coverage_stride;
          uint8_t* dp = PixelAt(b.dst, b.x + box.left, b.y + i);
          const uint8_t* sp = PixelAt(b.src, b.sx + box.left, b.sy + i);
          // As in Row: the last vector, which may overlap the one before it, first.
          const uint32_t last_bits = uint32_t(CoverageBits(mask, box.left + last) & kLanes);
          V last_merged, merged;
          const V last_s = L::KeepLanes(L::Load(sp + 4 * last), last_bits);
          const bool last_changes =
              !ops.AllClear(last_s) && ops.template MergeCheapest<Op, false>(
                                           L::Load(dp + 4 * last), last_s, guard, &last_merged);
          for (int32_t j = 0; j < last; j += kPixels) {
            // A vector's bits lie within one word: the box starts at a word's first bit.
            const uint32_t bits = uint32_t(mask[j >> 6] >> (j & 63) & kLanes);
            if (bits == 0) continue;
            const V s = L::KeepLanes(L::Load(sp + 4 * j), bits);
            if (ops.AllClear(s)) continue;  // no covered pixel to draw
            if (ops.template MergeCheapest<Op, false>(L::Load(dp + 4 * j), s, guard, &merged)) {
              L::Store(dp + 4 * j, merged);
            }
          }
          if (last_changes) L::Store(dp + 4 * last, last_merged);
        }
      }
      guard.Release();
    }
  };
};

// The table in the rows' order of kBlendOps and kRopOps.
template <class L, class N = L>
constexpr LevelWalks LaneWalks() {
  return MakeLevelWalks<LaneWalker<L, N>::template Walk>();
}

}  // namespace
}  // namespace morvane

#undef MORVANE_LANE_INLINE

#endif  // MORVANE_COMPOSITE_SIMD_LANE_WALK_H_
