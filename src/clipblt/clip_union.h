// Covering the union of possibly overlapping boxes with disjoint ones, so that a pixel that
// several rectangles of a region contain is merged once.
#ifndef MORVANE_CLIPBLT_CLIP_UNION_H_
#define MORVANE_CLIPBLT_CLIP_UNION_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "clipblt/clip_list.h"
#include "clipblt/small_buffer.h"

namespace morvane {

// What the sweep needs besides the boxes themselves. Reserved before anything is drawn, so that
// running short of memory leaves the destination untouched.
struct UnionScratch {
  SmallBuffer<int32_t, 64> edges;   // every distinct top and bottom
  SmallBuffer<ClipBox, 32> active;  // the boxes that span the current band, by left edge
  SmallBuffer<ClipBox, 32> merged;  // the same, with the band's new boxes merged in
  SmallBuffer<ClipBox, 32> out;     // disjoint boxes waiting to be drawn
};

inline bool ReserveUnion(size_t count, UnionScratch* scratch) {
  return count <= SIZE_MAX / 2 && scratch->edges.Reserve(2 * count) &&
         scratch->active.Reserve(count) && scratch->merged.Reserve(count) &&
         scratch->out.Reserve(count);
}

// Calls draw(boxes, n) with disjoint boxes, in band order (ClipShape), whose union is the union of
// the `count` boxes, reordering them; more than once only when the union needs more than `count`
// boxes. The tops and bottoms of all boxes cut the plane into bands; within a band every box spans
// the band's full height, so its boxes reduce to x-intervals, which are merged where they overlap
// or touch. The boxes spanning a band stay sorted by left edge from band to band, so the work is a
// sort of the boxes and of their edges, O(n log n), plus one pass over each band's boxes.
template <class Draw>
void ForEachUnionBatch(ClipBox* boxes, size_t count, UnionScratch& scratch, Draw&& draw) {
  std::sort(boxes, boxes + count, [](const ClipBox& a, const ClipBox& b) {
    return a.top != b.top ? a.top < b.top : a.left < b.left;
  });
  int32_t* edges = scratch.edges.data();
  for (size_t i = 0; i < count; ++i) {
    edges[2 * i] = boxes[i].top;
    edges[2 * i + 1] = boxes[i].bottom;
  }
  std::sort(edges, edges + 2 * count);
  const size_t bands = static_cast<size_t>(std::unique(edges, edges + 2 * count) - edges) - 1;

  ClipBox* active = scratch.active.data();
  ClipBox* merged = scratch.merged.data();
  ClipBox* out = scratch.out.data();
  size_t live = 0, next = 0, pending = 0;
  for (size_t band = 0; band < bands; ++band) {
    const int32_t top = edges[band], bottom = edges[band + 1];
    // Every top is an edge, so each box joins in the band that starts at its top; the boxes that
    // join arrive sorted by left edge and are merged into the sorted survivors.
    const size_t first_new = next;
    while (next < count && boxes[next].top <= top) ++next;
    size_t kept = 0, i = 0, k = first_new;
    while (i < live || k < next) {
      if (i < live && active[i].bottom <= top) {
        ++i;
      } else if (k == next || (i < live && active[i].left <= boxes[k].left)) {
        merged[kept++] = active[i++];
      } else {
        merged[kept++] = boxes[k++];
      }
    }
    std::swap(active, merged);
    live = kept;
    if (live == 0) continue;
    if (pending + live > count) {  // this band might not fit: draw what waits first
      draw(static_cast<const ClipBox*>(out), pending);
      pending = 0;
    }
    int32_t left = active[0].left, right = active[0].right;
    for (size_t j = 1; j < live; ++j) {
      if (active[j].left > right) {
        out[pending++] = ClipBox{left, top, right, bottom};
        left = active[j].left;
      }
      right = std::max(right, active[j].right);
    }
    out[pending++] = ClipBox{left, top, right, bottom};
  }
  if (pending > 0) draw(static_cast<const ClipBox*>(out), pending);
}

}  // namespace morvane

#endif  // MORVANE_CLIPBLT_CLIP_UNION_H_
