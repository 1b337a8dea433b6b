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

// What the walks care about in a list of boxes, kept up as boxes are added: whether they come in
// band order, as platform regions give them (top to bottom in bands of one height, left to right
// within a band, none overlapping; such boxes are already disjoint and can be walked as they
// are), and how many box rows they hold together.
struct ClipShape {
  bool banded;
  int64_t box_rows;
};

class ClipList {
 public:
  // Cuts the `count` rectangles rect(0) .. rect(count - 1) to the frame and keeps each result
  // that is not empty, making room first; false when the room cannot be had (the list is then
  // unchanged). The list's state stays in locals for the whole loop.
  template <class RectAt>
  bool AddCuts(size_t count, const ClipFrame& frame, RectAt rect) {
    if (count > SIZE_MAX - count_ || !boxes_.Reserve(count_ + count, count_)) return false;
    ClipBox* const boxes = boxes_.data();
    size_t n = count_;
    ClipShape shape = shape_;
    ClipBox last = n > 0 ? boxes[n - 1] : ClipBox{0, 0, 0, 0};
    for (size_t i = 0; i < count; ++i) {
      ClipBox box;
      if (!Cut(rect(i), frame, &box)) continue;
      shape.box_rows += box.bottom - box.top;
      const bool same_band =
          box.top == last.top && box.bottom == last.bottom && box.left >= last.right;
      shape.banded = shape.banded && (n == 0 || same_band || box.top >= last.bottom);
      boxes[n++] = last = box;
    }
    count_ = n;
    shape_ = shape;
    return true;
  }

  // Keeps a box as it is: it must already be a non-empty piece of the frame.
  bool Add(const ClipBox& box) {
    assert(box.left >= 0 && box.left < box.right && box.top >= 0 && box.top < box.bottom);
    return AddCuts(1, ClipFrame{0, 0, box.right, box.bottom}, [&box](size_t) {
      return RegionRect{box.left, box.top, box.right, box.bottom};
    });
  }

  size_t size() const { return count_; }
  const ClipShape& shape() const { return shape_; }
  ClipBox* data() { return boxes_.data(); }
  const ClipBox* data() const { return boxes_.data(); }

 private:
  // `rect` cut to the frame into *box; false when nothing is left.
  static bool Cut(const RegionRect& rect, const ClipFrame& frame, ClipBox* box) {
    if (frame.origin_x == 0 && frame.origin_y == 0) {  // the usual case: fitting moved nothing
      *box = ClipBox{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, frame.w),
                     std::min(rect.bottom, frame.h)};
      return box->right > box->left && box->bottom > box->top;
    }
    // In 64 bits: region coordinates minus an origin that may itself be near the int32 limits.
    const int64_t left = std::max<int64_t>(rect.left - frame.origin_x, 0);
    const int64_t top = std::max<int64_t>(rect.top - frame.origin_y, 0);
    const int64_t right = std::min<int64_t>(rect.right - frame.origin_x, frame.w);
    const int64_t bottom = std::min<int64_t>(rect.bottom - frame.origin_y, frame.h);
    if (right <= left || bottom <= top) return false;
    *box = ClipBox{static_cast<int32_t>(left), static_cast<int32_t>(top),
                   static_cast<int32_t>(right), static_cast<int32_t>(bottom)};
    return true;
  }

  SmallBuffer<ClipBox, 32> boxes_;
  size_t count_ = 0;
  ClipShape shape_{true, 0};
};

}  // namespace morvane

#endif  // MORVANE_CLIPBLT_CLIP_LIST_H_
