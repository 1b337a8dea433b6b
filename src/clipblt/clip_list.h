// The pieces of a fitted rectangle that a clip region lets through.
#ifndef MORVANE_CLIPBLT_CLIP_LIST_H_
#define MORVANE_CLIPBLT_CLIP_LIST_H_

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>

#include "clipblt/small_buffer.h"
#include "composite/composite_rect.h"

namespace morvane {

// A rectangle as a region gives it, in region coordinates; right and bottom are exclusive, and a
// rectangle with right <= left or bottom <= top is empty.
struct RegionRect {
  int32_t left, top, right, bottom;
};

// Where the fitted w x h rectangle lies in region coordinates: its pixel (0, 0) is region point
// (origin_x, origin_y). The origin is how far fitting moved the rectangle's corner, so it can
// exceed the int32 range.
struct ClipFrame {
  int64_t origin_x, origin_y;
  int32_t w, h;
};

class ClipList {
 public:
  // Makes room for `n` more boxes; false when the memory cannot be had (the list is unchanged).
  bool Reserve(size_t n) { return n <= SIZE_MAX - count_ && boxes_.Reserve(count_ + n, count_); }

  // Cuts `rect` to the frame and keeps the result unless it is empty. Needs room reserved.
  void AddCut(const RegionRect& rect, const ClipFrame& frame) {
    // In 64 bits: region coordinates minus an origin that may itself be near the int32 limits.
    const int64_t left = std::max<int64_t>(rect.left - frame.origin_x, 0);
    const int64_t top = std::max<int64_t>(rect.top - frame.origin_y, 0);
    const int64_t right = std::min<int64_t>(rect.right - frame.origin_x, frame.w);
    const int64_t bottom = std::min<int64_t>(rect.bottom - frame.origin_y, frame.h);
    if (right <= left || bottom <= top) return;
    Add(ClipBox{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
                static_cast<int32_t>(bottom)});
  }

  // Keeps a box as it is: it must already be a non-empty piece of the frame. Needs room reserved.
  void Add(const ClipBox& box) {
    assert(box.left >= 0 && box.left < box.right && box.top >= 0 && box.top < box.bottom);
    assert(count_ < boxes_.capacity());
    boxes_.data()[count_++] = box;
  }

  size_t size() const { return count_; }
  ClipBox* data() { return boxes_.data(); }
  const ClipBox* data() const { return boxes_.data(); }

 private:
  SmallBuffer<ClipBox, 32> boxes_;
  size_t count_ = 0;
};

// What the walks care about in a list of boxes, found in one pass: whether they come in band
// order, as platform regions give them (top to bottom in bands of one height, left to right within
// a band, none overlapping; such boxes are already disjoint and can be walked as they are), and
// how many box rows and pixels they hold together.
struct ClipShape {
  bool banded;
  int64_t box_rows, area;
};

inline ClipShape ShapeOf(const ClipBox* boxes, size_t count) {
  ClipShape shape{true, 0, 0};
  for (size_t i = 0; i < count; ++i) {
    const ClipBox& b = boxes[i];
    const int64_t height = b.bottom - b.top;
    shape.box_rows += height;
    shape.area += (b.right - b.left) * height;
    if (i == 0) continue;
    const ClipBox& a = boxes[i - 1];
    const bool same_band = b.top == a.top && b.bottom == a.bottom && b.left >= a.right;
    shape.banded = shape.banded && (same_band || b.top >= a.bottom);
  }
  return shape;
}

}  // namespace morvane

#endif  // MORVANE_CLIPBLT_CLIP_LIST_H_
