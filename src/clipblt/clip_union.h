// Covering the union of possibly overlapping boxes with disjoint ones, so that a pixel that
// several rectangles of a region contain is merged once.
#ifndef MORVANE_CLIPBLT_CLIP_UNION_H_
#define MORVANE_CLIPBLT_CLIP_UNION_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "clipblt/clip_list.h"
#include "clipblt/small_buffer.h"

namespace morvane {

// What the sweep needs besides the boxes themselves. Reserved before anything is drawn, so that
// running short of memory leaves the destination untouched.
struct UnionScratch {
  SmallBuffer<int32_t, 64> edges;   // every distinct top and bottom
  SmallBuffer<ClipBox, 32> active;  // the boxes that span the current band
};

inline bool ReserveUnion(size_t count, UnionScratch* scratch) {
  return count <= SIZE_MAX / 2 && scratch->edges.Reserve(2 * count) &&
         scratch->active.Reserve(count);
}

// Calls visit(box) for disjoint boxes whose union is the union of the `count` boxes, reordering
// them. The tops and bottoms of all boxes cut the plane into bands; within a band every box spans
// the band's full height, so its boxes reduce to x-intervals, which are merged where they overlap
// or touch. A region that is already disjoint and banded (as platform regions are) comes out as
// it went in. Work: O(n log n) to sort plus, per band, the boxes spanning it.
template <class Visit>
void ForEachUnionBox(ClipBox* boxes, size_t count, UnionScratch& scratch, Visit&& visit) {
  if (count == 1) {
    visit(boxes[0]);
    return;
  }
  std::sort(boxes, boxes + count, [](const ClipBox& a, const ClipBox& b) { return a.top < b.top; });
  int32_t* edges = scratch.edges.data();
  for (size_t i = 0; i < count; ++i) {
    edges[2 * i] = boxes[i].top;
    edges[2 * i + 1] = boxes[i].bottom;
  }
  std::sort(edges, edges + 2 * count);
  const size_t bands = static_cast<size_t>(std::unique(edges, edges + 2 * count) - edges) - 1;

  ClipBox* active = scratch.active.data();
  size_t live = 0, next = 0;
  for (size_t band = 0; band < bands; ++band) {
    const int32_t top = edges[band], bottom = edges[band + 1];
    size_t kept = 0;
    for (size_t i = 0; i < live; ++i) {
      if (active[i].bottom > top) active[kept++] = active[i];
    }
    live = kept;
    // Every top is an edge, so each box joins in the band that starts at its top.
    while (next < count && boxes[next].top <= top) active[live++] = boxes[next++];
    if (live == 0) continue;
    std::sort(active, active + live,
              [](const ClipBox& a, const ClipBox& b) { return a.left < b.left; });
    int32_t left = active[0].left, right = active[0].right;
    for (size_t i = 1; i < live; ++i) {
      if (active[i].left > right) {
        visit(ClipBox{left, top, right, bottom});
        left = active[i].left;
      }
      right = std::max(right, active[i].right);
    }
    visit(ClipBox{left, top, right, bottom});
  }
}

}  // namespace morvane

#endif  // MORVANE_CLIPBLT_CLIP_UNION_H_
