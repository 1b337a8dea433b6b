// The vector walk's third layer: a call's boxes, walked one box at a time or in bands of boxes
// that share their rows, each row by LaneRows::Row (lane_rows.h); and the walk through a coverage
// mask that ClipBlt takes. LaneWalks makes one instruction set's table of walks from it.
//
// Each walk_*.cpp defines MORVANE_LANE_TARGET as its instruction set's target attribute and
// includes this header once, over the lanes header of its instruction set.
#ifndef MORVANE_COMPOSITE_LANE_WALK_H_
#define MORVANE_COMPOSITE_LANE_WALK_H_

#include <xmmintrin.h>

#include <cassert>
#include <cstdint>
#include <type_traits>

#include "composite/lane_rows.h"
#include "composite/simd_walks.h"

namespace morvane {
namespace {

// A blit of at most this many pixels is small: a sprite, which the walks treat apart (see
// PrefetchSmall and Run).
constexpr int64_t kSmallPixels = 64 * 64;

// A small blit at a random place (a sprite on a screen) finds its destination rows out of cache,
// and a walk meets each row's miss only when it reaches that row. Asking for every line first, in
// the walk's order, lets the misses overlap. Larger blits read their rows in order, which the
// hardware prefetchers follow. Only for one box: over a region's many boxes, all of them in cache
// as the bench draws them, the requests cost more than they saved.
MORVANE_LANE_INLINE void PrefetchSmall(const uint8_t* first_row, ptrdiff_t step, int32_t w,
                                       int32_t rows) {
  const int32_t bytes = 4 * w;
  if (int64_t{bytes} * rows > 4 * kSmallPixels) return;
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

// The constants and the float guard of one call, made where the call begins, in that order, and
// the context that hands them to every level. The narrower lanes' constants are made only where
// they are other lanes.
template <class L, class N>
struct CallConstants {
  FloatGuard guard;
  const LaneOps<L> ops;
  const LaneOps<N> narrow;
  MORVANE_LANE_INLINE CallConstants() {}
  MORVANE_LANE_INLINE WalkContext<L, N> Context() { return {ops, narrow, guard}; }
};
template <class L>
struct CallConstants<L, L> {
  FloatGuard guard;
  const LaneOps<L> ops;
  MORVANE_LANE_INLINE CallConstants() {}
  MORVANE_LANE_INLINE WalkContext<L> Context() { return {ops, ops, guard}; }
};

// The walks of lanes L, with N's for rows shorter than L's vector (see LaneRows).
template <class L, class N = L>
struct LaneWalker {
  template <class Op>
  struct Walk {
    using V = typename L::V;
    using Rows = LaneRows<L, N, Op>;
    using Context = WalkContext<L, N>;
    static constexpr int32_t kPixels = L::kPixels;

    // The entry of every blit's table row. It picks, once per call: a blit narrower than L's
    // vector goes to N's walk; one box over a layer, or too large for the caches, to LoneBox (and
    // one larger than a sprite, where the tuning says so); one box over a screen to Box; many
    // boxes to Bands.
    MORVANE_LANE_TARGET MORVANE_REALIGN_STACK static void Run(const BlitViews& b,
                                                              const ClipBox* boxes, size_t count) {
      // A blit narrower than L's vector is walked by N alone, which makes only N's constants.
      if constexpr (!std::is_same<L, N>::value) {
        if (count == 1 && boxes[0].right - boxes[0].left < kPixels) {
          return LaneWalker<N>::template Walk<Op>::Run(b, boxes, count);
        }
      }
      if (count == 1 && boxes[0].right - boxes[0].left >= kPixels) {
        const ClipBox box = boxes[0];
        const int64_t pixels = int64_t{box.right - box.left} * (box.bottom - box.top);
        const bool far = pixels > kFarPixels;
        if (!L::AllOpaque(L::Load(PixelAt(b.dst, b.x + box.right - kPixels, b.y + box.bottom - 1)),
                          L::AlphaBytes())) {
          return far ? LoneBox<true, kFarAhead>(b, box) : LoneBox<true, 0>(b, box);
        }
        if (far) return LoneBox<false, kFarAhead>(b, box);
        // Where the lanes' tuning says so, with eight vector registers, a box larger than a
        // sprite walks out of line over a screen as well: inside Run, beside the other walks,
        // SSE2's loop was given registers that cost a 256 x 256 blit 3 %.
        if constexpr (!kManyVectorRegisters && L::Tuning::kScreenBoxApart) {
          if (pixels > kSmallPixels) return LoneBox<false, 0>(b, box);
        }
      }
      CallConstants<L, N> call;
      // One box, as every rectangle blit has: none of the band walk's bookkeeping. Small sprites
      // are mostly this, and only they ask for their lines first. Each way releases the guard
      // itself, as Row stores its last vector (see there).
      if (count == 1) {
        Box<false>(call.Context(), b, boxes[0], true);
        call.guard.Release();
        return;
      }
      Bands(call.Context(), b, boxes, count);
      call.guard.Release();
    }

    // A blit of one box at least a vector wide that Run hands on whole: where the destination is
    // not opaque where the walk begins, at the end of its bottom row (a layer rather than a
    // screen), every vector whose destination alphas are all 0 or 255 takes the merge without a
    // division and every other one the full merge, since the tests for the other cheaper merges
    // would cost more than they save (see LaneRows::LayerRow); and a box too large for the nearer
    // caches asks for its bytes ahead (see kFarAhead). Out of line, with its own constants: inside
    // Run they are read back from memory after every store, and a call there costs every other
    // blit the registers it keeps.
    template <bool kOverLayer, int32_t kAhead>
    MORVANE_LANE_TARGET MORVANE_REALIGN_STACK __attribute__((noinline)) static void LoneBox(
        const BlitViews& b, const ClipBox box) {
      CallConstants<L, N> call;
      Box<kOverLayer, kAhead>(call.Context(), b, box, true);
      call.guard.Release();
    }

    // The rows of one box, in the order they are stored (Bands says why), asking first for the
    // destination's lines where `prefetch` says so. No pointer is made past the last row: it could
    // lie beyond the buffer.
    template <bool kOverLayer, int32_t kAhead = 0>
    MORVANE_LANE_INLINE static void Box(const Context& c, const BlitViews& b, const ClipBox box,
                                        bool prefetch) {
      const int32_t w = box.right - box.left, rows = box.bottom - box.top;
      if constexpr (!std::is_same<L, N>::value) {  // too narrow for L: N's rows, or pairs of them
        if (w < kPixels) {
          return LaneWalker<N>::template Walk<Op>::template Box<kOverLayer>(c.Narrower(), b, box,
                                                                            prefetch);
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
        if (w <= kPixels / 2) PairedRows<kOverLayer>(c, dp, sp, dst_step, src_step, w, i);
      }
      if constexpr (std::is_same<L, N>::value) {
        if (2 * w > kPixels && w < kPixels && WideLoadsFit(b, box)) {
          return RowsInWideLoads<kOverLayer>(c, dp, sp, dst_step, src_step, w, i);
        }
      }
      // The offsets from a row may run past the last one; only rows in the box are reached through
      // them.
      for (ptrdiff_t to = 0, from = 0; i > 0; --i, to += dst_step, from += src_step) {
        Rows::template Row<kOverLayer, kAhead>(c, dp + to, sp + from, w);
      }
    }

    // Rows at most half a vector wide (glyph stems, thin lines), two to a merge where the lanes can
    // hold them, as long as two of the `rows` left are; dp and sp are left at the row after the
    // last pair where one is left, and `rows` counts what is.
    template <bool kOverLayer>
    MORVANE_LANE_INLINE static void PairedRows(const Context& c, uint8_t*& dp, const uint8_t*& sp,
                                               ptrdiff_t dst_step, ptrdiff_t src_step, int32_t w,
                                               int32_t& rows) {
      for (; rows > 1; rows -= 2) {
        V merged;
        if (c.ops.template MergeCheapest<Op, kOverLayer>(L::LoadRowPair(dp, dp + dst_step, w),
                                                         L::LoadRowPair(sp, sp + src_step, w),
                                                         c.guard, &merged)) {
          L::StoreRowPair(dp, dp + dst_step, merged, w);
        }
        if (rows > 2) dp += 2 * dst_step, sp += 2 * src_step;
      }
    }

    // Whether a whole vector loaded from the start of any of the box's rows lies inside both
    // images (see BytesToImageEnd).
    MORVANE_LANE_INLINE static bool WideLoadsFit(const BlitViews& b, const ClipBox box) {
      return BytesToImageEnd(b.dst, b.x + box.left, b.y + box.top, b.y + box.bottom) >=
                 4 * kPixels &&
             BytesToImageEnd(b.src, b.sx + box.left, b.sy + box.top, b.sy + box.bottom) >=
                 4 * kPixels;
    }

    // Rows more than half a vector wide but shorter than one, where WideLoadsFit: one load per
    // buffer rather than two and an insert. The lanes beyond the row hold the bytes that follow
    // it; they are merged but never stored.
    template <bool kOverLayer>
    MORVANE_LANE_INLINE static void RowsInWideLoads(const Context& c, uint8_t* dp,
                                                    const uint8_t* sp, ptrdiff_t dst_step,
                                                    ptrdiff_t src_step, int32_t w, int32_t rows) {
      for (; rows > 0; --rows) {
        V merged;
        if (c.ops.template MergeCheapest<Op, kOverLayer>(L::Load(dp), L::Load(sp), c.guard,
                                                         &merged)) {
          L::StoreFirst(dp, merged, w);
        }
        if (rows > 1) dp += dst_step, sp += src_step;
      }
    }

    // Many boxes. Boxes that follow one another with the same rows form a band (as a region's do),
    // walked row by row. Nothing written is read again, so the rows may go in memory order: the
    // last band first (boxes come top to bottom), each from its bottom row, which is the order the
    // hardware prefetchers follow best.
    MORVANE_LANE_INLINE static void Bands(const Context& c, const BlitViews& b,
                                          const ClipBox* boxes, size_t count) {
      // Copies, so that the compiler need not read them again after every store to the pixels.
      const PixelView dst = b.dst, src = b.src;
      const int32_t x = b.x, y = b.y, sx = b.sx, sy = b.sy;
      for (size_t end = count, first; end > 0; end = first) {
        const int32_t top = boxes[end - 1].top, bottom = boxes[end - 1].bottom;
        for (first = end - 1;
             first > 0 && boxes[first - 1].top == top && boxes[first - 1].bottom == bottom;
             --first) {
        }
        // A band of one box walks as a one-box blit does, unless it is one row high (as each row
        // of a round region is): then the box's set-up would cost more than its one Row below.
        if (first + 1 == end && bottom - top > 1) {
          Box<false>(c, b, boxes[first], false);
          continue;
        }
        for (int32_t i = bottom - 1; i >= top; --i) {
          uint8_t* const dst_row = PixelAt(dst, x, y + i);
          const uint8_t* const src_row = PixelAt(src, sx, sy + i);
          for (size_t k = first; k < end; ++k) {
            const ClipBox& box = boxes[k];
            assert(!RectSpansOverlap(dst, x + box.left, y + top, box.right - box.left, bottom - top,
                                     src, sx + box.left, sy + top));
            Rows::template Row<false>(c, dst_row + 4 * box.left, src_row + 4 * box.left,
                                      box.right - box.left);
          }
        }
      }
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
      for (size_t k = count; k-- > 0;) {
        const ClipBox& box = boxes[k];
        assert(box.right - box.left >= kPixels && box.left == 0 && 64 % kPixels == 0);
        for (int32_t i = box.bottom - 1; i >= box.top; --i) {
          CoveredRow(ops, guard, b, box, i);
        }
      }
      guard.Release();
    }

    // Row i of the box through its mask words, as Row walks a row: the last vector, which may
    // overlap the one before it, first.
    MORVANE_LANE_INLINE static void CoveredRow(const LaneOps<L>& ops, FloatGuard& guard,
                                               const BlitViews& b, const ClipBox& box, int32_t i) {
      constexpr uint64_t kLanes = (uint64_t{1} << kPixels) - 1;
      const int32_t w = box.right - box.left, last = w - kPixels;
      const uint64_t* mask = b.coverage + size_t(i) * b.coverage_stride;
      uint8_t* dp = PixelAt(b.dst, b.x + box.left, b.y + i);
      const uint8_t* sp = PixelAt(b.src, b.sx + box.left, b.sy + i);
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

#endif  // MORVANE_COMPOSITE_LANE_WALK_H_
