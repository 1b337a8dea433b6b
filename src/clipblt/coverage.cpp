#include "clipblt/coverage.h"

#include <cstdlib>

namespace morvane {
namespace {

// The largest rectangle drawn through a mask: 512 KiB of bits.
constexpr int64_t kMaxCoveragePixels = int64_t{1} << 22;

}  // namespace

Coverage::~Coverage() { std::free(words_); }

bool Coverage::Reserve(int32_t w, int32_t h) {
  // One zero word beyond each row's last, so that reading 64 bits from any pixel stays inside.
  stride_ = size_t(w) / 64 + 2;
  words_ = static_cast<uint64_t*>(std::calloc(stride_ * size_t(h), sizeof(uint64_t)));
  return words_ != nullptr;
}

void Coverage::Mark(const ClipBox& box) {
  const int32_t first = box.left >> 6, last = (box.right - 1) >> 6;
  const uint64_t head = ~uint64_t{0} << (box.left & 63);
  const uint64_t tail = ~uint64_t{0} >> (63 - ((box.right - 1) & 63));
  for (int32_t i = box.top; i < box.bottom; ++i) {
    uint64_t* row = words_ + size_t(i) * stride_;
    if (first == last) {
      row[first] |= head & tail;
      continue;
    }
    row[first] |= head;
    for (int32_t k = first + 1; k < last; ++k) row[k] = ~uint64_t{0};
    row[last] |= tail;
  }
}

bool PreferCoverage(const ClipShape& shape, size_t count, int32_t w, int32_t h) {
  // Rows narrower than the widest vector are left to the box walk.
  if (count < 16 || w < 16 || int64_t{w} * h > kMaxCoveragePixels) return false;
  // Two box rows or more to each row of the rectangle, on average: rows broken into pieces (or
  // pieces overlapping), which the box walk would take one by one.
  return shape.box_rows >= 2 * int64_t{h} && int64_t{w} * h <= 64 * shape.area;
}

}  // namespace morvane
