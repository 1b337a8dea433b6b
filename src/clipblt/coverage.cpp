#include "clipblt/coverage.h"

namespace morvane {
namespace {

// The largest rectangle drawn through a mask: 512 KiB of bits.
constexpr int64_t kMaxCoveragePixels = int64_t{1} << 22;

}  // namespace

bool Coverage::Reserve(int32_t w, int32_t h) {
  // One zero word beyond each row's last, so that reading 64 bits from any pixel stays inside.
  stride_ = size_t(w) / 64 + 2;
  return words_.Allocate(stride_ * size_t(h), /*zeroed=*/true);
}

bool PreferCoverage(const ClipBox* boxes, size_t count, const ClipShape& shape, int32_t w,
                    int32_t h) {
  // Rows narrower than the widest vector are left to the box walk.
  if (count < 16 || w < 16 || int64_t{w} * h > kMaxCoveragePixels) return false;
  // Two box rows or more to each row of the rectangle, on average: rows broken into pieces (or
  // pieces overlapping), which the box walk would take one by one.
  if (shape.box_rows < 2 * int64_t{h}) return false;
  int64_t area = 0;
  for (size_t i = 0; i < count; ++i) {
    area += int64_t{boxes[i].right - boxes[i].left} * (boxes[i].bottom - boxes[i].top);
  }
  return int64_t{w} * h <= 64 * area;
}

}  // namespace morvane
