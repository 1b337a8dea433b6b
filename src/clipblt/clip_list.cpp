#include "clipblt/clip_list.h"

#include <algorithm>
#include <cassert>

namespace morvane {

bool ClipList::AddCut(const RegionRect& rect, const ClipFrame& frame) {
  // In 64 bits: region coordinates minus an origin that may itself be near the int32 limits.
  const int64_t left = std::max<int64_t>(rect.left - frame.origin_x, 0);
  const int64_t top = std::max<int64_t>(rect.top - frame.origin_y, 0);
  const int64_t right = std::min<int64_t>(rect.right - frame.origin_x, frame.w);
  const int64_t bottom = std::min<int64_t>(rect.bottom - frame.origin_y, frame.h);
  if (right <= left || bottom <= top) return true;
  return Add(ClipBox{static_cast<int32_t>(left), static_cast<int32_t>(top),
                     static_cast<int32_t>(right), static_cast<int32_t>(bottom)});
}

bool ClipList::Add(const ClipBox& box) {
  assert(box.left >= 0 && box.left < box.right && box.top >= 0 && box.top < box.bottom);
  if (count_ == boxes_.capacity() && !boxes_.Reserve(count_ * 2, count_)) return false;
  boxes_.data()[count_++] = box;
  return true;
}

}  // namespace morvane
