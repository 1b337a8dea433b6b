// The vector walk's second layer: one row of pixels, merged by whichever of a few strategies suits
// it. Row picks the strategy; each is a function of its own below:
//   ShortRow              a row shorter than a vector;
//   TwoVectorsOverOpaque  a row of one to two vectors over an opaque destination (a sprite's);
//   MixedRow              every vector by its cheapest merge (screens, and rows of many boxes);
//   LayerRow              a row over a layer, whose full merges go through WeightsOneAhead with
//                         16 vector registers and WeightsBuffered with eight.
// The walk over boxes and bands (lane_walk.h) calls Row; the merges come from lane_merge.h.
#ifndef MORVANE_COMPOSITE_LANE_ROWS_H_
#define MORVANE_COMPOSITE_LANE_ROWS_H_

#include <cstdint>
#include <type_traits>

#include "composite/lane_merge.h"

namespace morvane {
namespace {

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

// What every level of one call's walk needs: the constants of L's merges, those of the narrower
// lanes N that take rows shorter than L's vector (the same object when N is L), and the float
// guard, armed at the first vector that divides.
template <class L, class N = L>
struct WalkContext {
  const LaneOps<L>& ops;
  const LaneOps<N>& narrow;
  FloatGuard& guard;
  // The context of the rows and boxes that N takes over.
  MORVANE_LANE_INLINE WalkContext<N> Narrower() const { return {narrow, narrow, guard}; }
};

// The rows of lanes L and operator Op. Rows shorter than L's vector take N's vectors when N is
// narrower (the AVX-512 walks take AVX2's), and one L vector filled with their own pixels
// otherwise.
template <class L, class N, class Op>
struct LaneRows {
  using V = typename L::V;
  using Ops = LaneOps<L>;
  using Context = WalkContext<L, N>;
  static constexpr int32_t kPixels = L::kPixels;
  static constexpr int32_t kStep = 4 * kPixels;  // a vector's bytes

  // One row of w pixels. A row shorter than a vector takes one vector of its own pixels. A longer
  // one takes whole vectors from its start and one more that ends where the row ends; that one may
  // overlap the vector before it, so it is merged first, from the destination as it was, and
  // stored last: the pixels both cover get the same bytes from both. No pixel is merged by
  // anything but a vector, and no branch depends on the width's remainder.
  template <bool kOverLayer, int32_t kAhead = 0>
  MORVANE_LANE_INLINE static void Row(const Context& c, uint8_t* dp, const uint8_t* sp, int32_t w) {
    if (w < kPixels) return ShortRow<kOverLayer>(c, dp, sp, w);
    const int32_t last = 4 * (w - kPixels);
    if constexpr (!kOverLayer) {
      if (w > kPixels && w <= 2 * kPixels && TwoVectorsOverOpaque(c.ops, dp, sp, last)) return;
    }
    V last_merged;
    const bool last_changes = c.ops.template MergeCheapest<Op, kOverLayer>(
        L::Load(dp + last), L::Load(sp + last), c.guard, &last_merged);
    // Each way stores the last vector itself: with the store shared after both, the loop over a
    // screen took 2-3 % longer in the 8-register layout.
    if constexpr (kOverLayer) {
      LayerRow<kAhead>(c.ops, c.guard, dp, sp, last);
      if (last_changes) L::Store(dp + last, last_merged);
      return;
    }
    MixedRow<kAhead>(c.ops, c.guard, dp, sp, last);
    if (last_changes) L::Store(dp + last, last_merged);
  }

  // A row shorter than a vector: N's row where N is narrower, or one vector of the row's pixels.
  template <bool kOverLayer>
  MORVANE_LANE_INLINE static void ShortRow(const Context& c, uint8_t* dp, const uint8_t* sp,
                                           int32_t w) {
    if constexpr (!std::is_same<L, N>::value) {
      LaneRows<N, N, Op>::template Row<kOverLayer>(c.Narrower(), dp, sp, w);
    } else {
      // Lanes beyond the row, where there are any, count as a clear source over an opaque
      // destination, so that a short row over one keeps the cheaper merge.
      V merged;
      if (c.ops.template MergeCheapest<Op, kOverLayer>(L::LoadShort(dp, w, c.ops.alphas),
                                                       L::LoadShort(sp, w, L::Zero()), c.guard,
                                                       &merged)) {
        L::StoreShort(dp, merged, w);
      }
    }
  }

  // A row of more than one vector and at most two (a 16-pixel sprite's on AVX2), the second
  // starting at `last`, over a destination that may be opaque: one test for both vectors, and no
  // loop. Both are merged from the destination as it was before either is stored, as in Row.
  // False, with nothing stored, where the destination is not opaque.
  MORVANE_LANE_INLINE static bool TwoVectorsOverOpaque(const Ops& ops, uint8_t* dp,
                                                       const uint8_t* sp, int32_t last) {
    const V d0 = L::Load(dp), d1 = L::Load(dp + last);
    if (!L::AllOpaque(L::And(d0, d1), ops.alphas)) return false;
    const V s0 = L::Load(sp), s1 = L::Load(sp + last);
    const V m0 = ops.template MergeOverOpaque<Op>(d0, s0, ops.Apply(Op{}, d0, s0));
    L::Store(dp + last, ops.template MergeOverOpaque<Op>(d1, s1, ops.Apply(Op{}, d1, s1)));
    L::Store(dp, m0);
    return true;
  }

  // The row's whole vectors before `last`, each by its cheapest merge (see MergeCheapest).
  template <int32_t kAhead>
  MORVANE_LANE_INLINE static void MixedRow(const Ops& ops, FloatGuard& guard, uint8_t* dp,
                                           const uint8_t* sp, int32_t last) {
    V merged;
    for (int32_t j = 0; j < last; j += kStep) {
      AskAhead<kAhead>(dp + j, sp + j);
      if (ops.template MergeCheapest<Op, false>(L::Load(dp + j), L::Load(sp + j), guard, &merged)) {
        L::Store(dp + j, merged);
      }
    }
  }

  // The row's whole vectors before `last` over a layer. A vector whose destination alphas are all
  // 0 or 255 is merged without a division, at once; every other one takes the full merge, whose
  // colour waits long for its weight. Made one vector after another, the instructions waiting on
  // each division fill the processor's queues and hold back the vectors behind them. So the
  // weights are made ahead of the colours (WeightsOneAhead, WeightsBuffered): either way is 3-15 %
  // faster than one vector at a time, and slower than the other where that is used. Over alphas
  // that vary, those vectors are bound by the vector instructions, so the test that picks the
  // merge starts in the integer unit (see NeedsNoWeight), and no clear source is looked for: by
  // the time its test could tell, the division has begun, and the full merge leaves such pixels
  // as they were.
  //
  // The vectors up to the first that needs a weight go without the guard, which is armed (once
  // per call) only then: a blit onto a layer that is clear or opaque wherever it draws never
  // touches the control word (a sixth of a 16-pixel sprite's time), and the loops never test
  // whether it did. Boxes too large for the nearer caches skip that first loop: over alphas that
  // vary, their rows took 5 % longer with it.
  template <int32_t kAhead>
  MORVANE_LANE_INLINE static void LayerRow(const Ops& ops, FloatGuard& guard, uint8_t* dp,
                                           const uint8_t* sp, int32_t last) {
    int32_t j = 0;
    if constexpr (kAhead == 0) j = MergeUntilWeightNeeded(ops, dp, sp, last);
    if (j >= last) return;
    guard.Arm();
    if constexpr (kManyVectorRegisters) {
      WeightsOneAhead<kAhead>(ops, dp, sp, j, last);
    } else {
      WeightsBuffered<kAhead>(ops, dp, sp, j, last);
    }
  }

  // With 16 vector registers: from the vector at j, which needs a weight, to `last`, each vector
  // that needs a weight is begun before the one begun last is finished; one that needs none is
  // merged and stored at once, and the one begun waits.
  template <int32_t kAhead>
  MORVANE_LANE_INLINE static void WeightsOneAhead(const Ops& ops, uint8_t* dp, const uint8_t* sp,
                                                  int32_t j, int32_t last) {
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
  }

  // With eight vector registers, where the values begun ahead would spill: the weights of up to
  // kRun vectors at a time go into a buffer, which a second pass reads with the pixels again. The
  // vectors that need no weight are merged in the first pass, and their bits in `done` keep the
  // second from reading back what the first stored.
  template <int32_t kAhead>
  MORVANE_LANE_INLINE static void WeightsBuffered(const Ops& ops, uint8_t* dp, const uint8_t* sp,
                                                  int32_t j, int32_t last) {
    constexpr int32_t kRun = 16;
    typename Ops::FullWeight weights[kRun];
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

  // The row's vectors from its start up to `last` merged and stored while their destination
  // alphas are all 0 or 255; the offset of the first that needs a weight, or `last` and beyond.
  // The vectors lie apart, and none is read again once stored (see Row).
  MORVANE_LANE_INLINE static int32_t MergeUntilWeightNeeded(const Ops& ops, uint8_t* dp,
                                                            const uint8_t* sp, int32_t last) {
    int32_t j = 0;
    for (; j < last; j += kStep) {
      const V d = L::Load(dp + j), s = L::Load(sp + j);
      if (!NeedsNoWeight(ops, d, dp + j)) break;
      MergeWithoutWeight(ops, d, s, dp + j);
    }
    return j;
  }

  // Whether the alphas of d, the vector at dp, are all 0 or 255, so that it needs no weight. Over
  // a destination whose alphas vary, the vector instructions are the full merge's bottleneck and
  // the integer ones idle, so the first pixel's alpha is looked at first: it rules out almost
  // every vector of such a destination without a vector instruction.
  MORVANE_LANE_INLINE static bool NeedsNoWeight(const Ops& ops, V d, const uint8_t* dp) {
    return uint8_t(dp[3] + 1) <= 1 && ops.AllClearOrOpaque(d, ops.OpaqueLanes(d));
  }
  // The merge of d and s, destination alphas all 0 or 255, stored at dp.
  MORVANE_LANE_INLINE static void MergeWithoutWeight(const Ops& ops, V d, V s, uint8_t* dp) {
    L::Store(dp, ops.template MergeOverClearOrOpaque<Op>(d, s, ops.Apply(Op{}, d, s),
                                                         ops.OpaqueLanes(d)));
  }

  // A vector of the full merge begun: its destination, X, the weight and the new alpha.
  struct FullStage {
    V d, x;
    typename Ops::FullWeight fw;
  };
  MORVANE_LANE_INLINE static FullStage StartFull(const Ops& ops, V d, V s) {
    return FullStage{d, ops.Apply(Op{}, d, s), ops.FullAlpha(d, s)};
  }
  MORVANE_LANE_INLINE static void FinishFull(const Ops& ops, const FullStage& st, uint8_t* dp) {
    L::Store(dp, ops.template FullColour<kWayOf<Op>>(st.d, st.x, st.fw));
  }
};

}  // namespace
}  // namespace morvane

#endif  // MORVANE_COMPOSITE_LANE_ROWS_H_
