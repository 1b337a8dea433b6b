// The pieces of a fitted rectangle that a clip region lets through.
#ifndef MORVANE_CLIPBLT_CLIP_LIST_H_
#define MORVANE_CLIPBLT_CLIP_LIST_H_

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
  // Cuts `rect` to the frame and keeps the result unless it is empty. False only when the list
  // could not grow; it is then unchanged.
  bool AddCut(const RegionRect& rect, const ClipFrame& frame);
  // Keeps a box as it is: it must already be a non-empty piece of the frame.
  bool Add(const ClipBox& box);

  size_t size() const { return count_; }
  ClipBox* data() { return boxes_.data(); }

 private:
  SmallBuffer<ClipBox, 32> boxes_;
  size_t count_ = 0;
};

}  // namespace morvane

#endif  // MORVANE_CLIPBLT_CLIP_LIST_H_
