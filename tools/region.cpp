#include "region.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace morvane_tool {
namespace {

constexpr size_t kHeaderBytes = 32;

// The span [left, right) of pixel centres on row y inside the ellipse of `box`, cut to
// [min_x, max_x); empty (left == right) when there are none. Pixel x's centre is x + 0.5.
void EllipseSpan(Box box, int64_t y, int64_t min_x, int64_t max_x, int32_t* left, int32_t* right) {
  *left = *right = 0;
  if (box.w <= 0 || box.h <= 0) return;
  const double rx = box.w / 2.0, ry = box.h / 2.0;
  const double cx = box.x + rx, cy = box.y + ry;
  const double v = (double(y) + 0.5 - cy) / ry;
  if (v * v > 1.0) return;
  const double half = rx * std::sqrt(1.0 - v * v);
  // Pixel x is inside when |x + 0.5 - cx| <= half.
  const int64_t first = std::max(min_x, int64_t(std::ceil(cx - half - 0.5)));
  const int64_t end = std::min(max_x, int64_t(std::floor(cx + half - 0.5)) + 1);
  if (end > first) *left = int32_t(first), *right = int32_t(end);
}

void PutWord(uint8_t* at, uint32_t value) { std::memcpy(at, &value, 4); }

}  // namespace

RegionRecord::RegionRecord() : bytes_(kHeaderBytes, 0) {
  PutWord(bytes_.data(), 32);     // dwSize
  PutWord(bytes_.data() + 4, 1);  // iType: rectangles
}

uint32_t RegionRecord::count() const {
  return static_cast<uint32_t>((bytes_.size() - kHeaderBytes) / sizeof(MorvaneRgnRect));
}

void RegionRecord::Add(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (right <= left || bottom <= top) return;
  MorvaneRgnRect bound = {left, top, right, bottom};
  if (count() > 0) {
    MorvaneRgnRect old;
    std::memcpy(&old, bytes_.data() + 16, sizeof old);
    bound = {std::min(old.left, left), std::min(old.top, top), std::max(old.right, right),
             std::max(old.bottom, bottom)};
  }
  const MorvaneRgnRect rect = {left, top, right, bottom};
  const auto* p = reinterpret_cast<const uint8_t*>(&rect);
  bytes_.insert(bytes_.end(), p, p + sizeof rect);
  PutWord(bytes_.data() + 8, count());                    // nCount
  PutWord(bytes_.data() + 12, count() * 16);              // nRgnSize
  std::memcpy(bytes_.data() + 16, &bound, sizeof bound);  // rcBound
}

RegionRecord EllipseRegion(Box box, Box limit) { return RingRegion(box, Box{0, 0, 0, 0}, limit); }

RegionRecord RingRegion(Box outer, Box inner, Box limit) {
  RegionRecord region;
  const int64_t min_x = limit.x, max_x = int64_t(limit.x) + limit.w;
  const int64_t top = std::max<int64_t>(outer.y, limit.y);
  const int64_t bottom = std::min(int64_t(outer.y) + outer.h, int64_t(limit.y) + limit.h);
  for (int64_t y = top; y < bottom; ++y) {
    int32_t left, right, hole_left, hole_right;
    EllipseSpan(outer, y, min_x, max_x, &left, &right);
    EllipseSpan(inner, y, min_x, max_x, &hole_left, &hole_right);
    const auto row = int32_t(y);
    if (hole_left == hole_right) {
      region.Add(left, row, right, row + 1);
    } else {
      region.Add(left, row, std::min(right, hole_left), row + 1);
      region.Add(std::max(left, hole_right), row, right, row + 1);
    }
  }
  return region;
}

}  // namespace morvane_tool
