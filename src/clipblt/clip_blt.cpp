// ClipBlt: the SRCCOPY blit restricted to a clip region. The region is read as rectangles, each is
// cut to the fitted rectangle, and the pieces, made disjoint where they overlap, go to the
// raster-operation table's SRCCOPY walk in one call (its vector walk where the processor has one),
// which sets itself up once and walks each band of boxes row by row. Work and memory follow the
// rectangle and the region, never the size of the source bitmap.
#include <cstdint>
#include <cstring>

#include "bitmap/pixel_view.h"
#include "clipblt/clip_list.h"
#include "clipblt/clip_union.h"
#include "clipblt/coverage.h"
#include "clipblt/region_rects.h"
#include "composite/blit.h"
#include "composite/op_table.h"
#include "heap_block.h"

namespace morvane {
namespace {

// Copies the w x h source rectangle at (sx, sy) into a block of rows stored top-down without
// gaps and returns a view of it, or a view without pixels when the block cannot be had.
PixelView CopySourceRect(const PixelView& src, int32_t sx, int32_t sy, int32_t w, int32_t h,
                         HeapBlock<uint8_t>* block) {
  const size_t row_bytes = size_t(w) * 4;
  PixelView copy{nullptr, w, h, static_cast<ptrdiff_t>(row_bytes)};
  if (size_t(h) > SIZE_MAX / row_bytes || !block->Allocate(row_bytes * size_t(h))) return copy;
  copy.pixels = block->get();
  for (int32_t i = 0; i < h; ++i) {
    std::memcpy(PixelAt(copy, 0, i), PixelAt(src, sx, sy + i), row_bytes);
  }
  return copy;
}

// The clipped blit once both bitmaps have pixels and the rectangle is fitted: (asked_x, asked_y)
// is the corner the caller asked for, where region point (0, 0) lies. `collect` adds the region's
// pieces of the frame to a list and says whether it could.
template <class Collect>
int32_t ClipViews(const PixelView& dst_view, int32_t x, int32_t y, int32_t w, int32_t h,
                  PixelView src_view, int32_t sx, int32_t sy, int32_t asked_x, int32_t asked_y,
                  Collect collect) {
  ClipList pieces;
  const ClipFrame frame{int64_t{x} - asked_x, int64_t{y} - asked_y, w, h};
  if (collect(frame, &pieces) != RegionRead::kDone) return BLT_EMPTY;
  if (pieces.size() == 0) return BLT_DONE;

  // Everything that can fail is acquired before the first pixel is merged. Many narrow pieces are
  // drawn through a mask of the pixels they cover; others box by box, as they come when they are
  // in band order (the platform's own regions always are), else made disjoint first.
  const ClipShape& shape = pieces.shape();
  const bool covered = PreferCoverage(pieces.data(), pieces.size(), shape, w, h);
  const bool banded = !covered && shape.banded;
  Coverage coverage;
  UnionScratch scratch;
  if (covered && !coverage.Reserve(w, h)) return BLT_EMPTY;
  if (!covered && !banded && !ReserveUnion(pieces.size(), &scratch)) return BLT_EMPTY;
  HeapBlock<uint8_t> source_copy;
  // Merging could change a source pixel before it is read: work from a copy of the rectangle.
  if (RectSpansOverlap(dst_view, x, y, w, h, src_view, sx, sy)) {
    src_view = CopySourceRect(src_view, sx, sy, w, h, &source_copy);
    if (src_view.pixels == nullptr) return BLT_EMPTY;
    sx = 0;
    sy = 0;
  }

  // The source is now apart from the destination (copied if it was not), so every box may take
  // the vector walk.
  const LevelWalks& walks = WalksForCall(/*apart=*/true);
  const BoxWalk walk = walks.rop[FindOp(kRopOps, SRCCOPY) - kRopOps];
  BlitViews blit{dst_view, src_view, x, y, sx, sy};
  if (covered) {
    coverage.Mark(pieces.data(), pieces.size());
    blit.coverage = coverage.data();
    blit.coverage_stride = coverage.stride();
    const ClipBox whole{0, 0, w, h};
    walks.covered_copy(blit, &whole, 1);
  } else if (banded) {
    walk(blit, pieces.data(), pieces.size());
  } else {
    ForEachUnionBatch(pieces.data(), pieces.size(), scratch,
                      [&](const ClipBox* boxes, size_t n) { walk(blit, boxes, n); });
  }
  return BLT_DONE;
}

// No region: the whole fitted rectangle, one box, which the list holds inline and so cannot fail.
RegionRead WholeFrame(const ClipFrame& frame, ClipList* pieces) {
  pieces->Add(ClipBox{0, 0, frame.w, frame.h});
  return RegionRead::kDone;
}

int32_t RunClipBlt(const BitmapDesc* dest, int32_t x, int32_t y, int32_t w, int32_t h,
                   const BitmapDesc* src, int32_t sx, int32_t sy, MorvaneRegion region) {
  // The region is anchored where the caller asked for the rectangle, so fitting must not move it.
  const int32_t asked_x = x, asked_y = y;
  PixelView dst_view, src_view;
  const int32_t opened = OpenHostBlit(dest, x, y, w, h, src, sx, sy, &dst_view, &src_view);
  if (opened != BLT_DONE) return opened;
  if (region == nullptr) {
    return ClipViews(dst_view, x, y, w, h, src_view, sx, sy, asked_x, asked_y, WholeFrame);
  }
  return ClipViews(dst_view, x, y, w, h, src_view, sx, sy, asked_x, asked_y,
                   [region](const ClipFrame& frame, ClipList* pieces) {
                     return CollectRegionRects(region, frame, pieces);
                   });
}

#if !defined(_WIN32)
// The caller's rectangles are read like a region record's: each cut to the frame, overlaps
// allowed, empty ones dropped.
int32_t RunImageClip(const MorvaneImage* dest, int32_t x, int32_t y, int32_t w, int32_t h,
                     const MorvaneImage* src, int32_t sx, int32_t sy, const MorvaneRect* rects,
                     int32_t count) {
  if (count < 0 || (rects == nullptr && count > 0)) return BLT_BADIMAGE;
  const int32_t asked_x = x, asked_y = y;
  PixelView dst_view, src_view;
  const int32_t opened = OpenImageBlit(dest, x, y, w, h, src, sx, sy, &dst_view, &src_view);
  if (opened != BLT_DONE) return opened;
  if (rects == nullptr) {
    return ClipViews(dst_view, x, y, w, h, src_view, sx, sy, asked_x, asked_y, WholeFrame);
  }
  return ClipViews(
      dst_view, x, y, w, h, src_view, sx, sy, asked_x, asked_y,
      [rects, count](const ClipFrame& frame, ClipList* pieces) {
        const bool added = pieces->AddCuts(size_t(count), frame, [rects](size_t i) {
          return RegionRect{rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
        });
        return added ? RegionRead::kDone : RegionRead::kNoMemory;
      });
}
#endif  // !_WIN32

}  // namespace
}  // namespace morvane

extern "C" MORVANE_API int32_t MORVANE_CALL ClipBlt(const BitmapDesc* dest, int32_t x, int32_t y,
                                                    int32_t w, int32_t h, const BitmapDesc* src,
                                                    int32_t sx, int32_t sy, MorvaneRegion region) {
  return morvane::RunClipBlt(dest, x, y, w, h, src, sx, sy, region);
}

#if !defined(_WIN32)
extern "C" MORVANE_API int32_t morvane_clip(const MorvaneImage* dest, int32_t x, int32_t y,
                                            int32_t w, int32_t h, const MorvaneImage* src,
                                            int32_t sx, int32_t sy, const MorvaneRect* rects,
                                            int32_t count) {
  return morvane::RunImageClip(dest, x, y, w, h, src, sx, sy, rects, count);
}
#endif  // !_WIN32
