#include "reference.h"

#include <vector>

namespace morvane_test {

int RefOp(Family family, uint32_t code, int d, int s) {
  if (family == Family::kBlend) {
    switch (code) {
      case 0:
        return s;
      case 1:
        return d + s < 255 ? d + s : 255;
      case 2:
        return d - s > 0 ? d - s : 0;
      case 3:
        return d * s / 255;
      case 4:
        return d + d * s / 255 < 255 ? d + d * s / 255 : 255;
    }
    return -1;
  }
  switch (code) {
    case 0x00CC0020:
      return s;
    case 0x00EE0086:
      return d | s;
    case 0x008800C6:
      return d & s;
    case 0x00660046:
      return d ^ s;
    case 0x00440328:
      return (255 - d) & s;
    case 0x00330008:
      return 255 - s;
    case 0x001100A6:
      return 255 - (d | s);
  }
  return -1;
}

int32_t RefBlit(Family family, HostBitmap& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                const HostBitmap& src, int32_t sx, int32_t sy, uint32_t code) {
  // Visit the destination's own pixels in the walk order (top row first, left to right) and merge
  // those that the request pairs with an existing source pixel. Bounded by the destination's size,
  // whatever the coordinates.
  auto pair_of = [&](int64_t px, int64_t py, int64_t* qx, int64_t* qy) {
    const int64_t j = px - x, i = py - y;
    *qx = sx + j;
    *qy = sy + i;
    return j >= 0 && j < w && i >= 0 && i < h && *qx >= 0 && *qx < src.width() && *qy >= 0 &&
           *qy < src.height();
  };
  auto at = [](const HostBitmap& b, int64_t px, int64_t py) {
    return b.buffer() + ((b.height() - 1 - py) * int64_t{b.width()} + px) * 4;
  };
  bool any = false;
  int64_t qx, qy;
  for (int64_t py = 0; py < dst.height() && !any; ++py) {
    for (int64_t px = 0; px < dst.width() && !any; ++px) any = pair_of(px, py, &qx, &qy);
  }
  if (!any) return 1;
  if (RefOp(family, code, 0, 0) < 0) return 258;
  auto op = [&](int d, int s) { return RefOp(family, code, d, s); };
  for (int64_t py = 0; py < dst.height(); ++py) {
    for (int64_t px = 0; px < dst.width(); ++px) {
      if (pair_of(px, py, &qx, &qy)) RefMerge(at(dst, px, py), at(src, qx, qy), op);
    }
  }
  return 0;
}

int32_t RefClipBlt(HostBitmap& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                   const HostBitmap& src, int32_t sx, int32_t sy,
                   const std::function<bool(int64_t j, int64_t i)>& inside) {
  const std::vector<uint8_t> before(src.buffer(), src.buffer() + src.buffer_bytes());
  auto at = [](auto* pixels, int32_t width, int32_t height, int64_t px, int64_t py) {
    return pixels + ((height - 1 - py) * int64_t{width} + px) * 4;
  };
  bool any = false;
  for (int64_t py = 0; py < dst.height(); ++py) {
    for (int64_t px = 0; px < dst.width(); ++px) {
      const int64_t j = px - x, i = py - y, qx = sx + j, qy = sy + i;
      if (j < 0 || j >= w || i < 0 || i >= h || qx < 0 || qx >= src.width() || qy < 0 ||
          qy >= src.height()) {
        continue;
      }
      any = true;
      if (!inside(j, i)) continue;
      RefMerge(at(dst.buffer(), dst.width(), dst.height(), px, py),
               at(before.data(), src.width(), src.height(), qx, qy), [](int, int s) { return s; });
    }
  }
  return any ? 0 : 1;
}

}  // namespace morvane_test
