#include "bmp_model.h"

namespace morvane_test {

std::vector<uint8_t> ModelBitmapFile(const HostBitmap& bitmap) {
  std::vector<uint8_t> out;
  auto le = [&out](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  const uint32_t w = static_cast<uint32_t>(bitmap.width());
  const uint32_t h = static_cast<uint32_t>(bitmap.height());
  uint32_t row = w * 3;
  while (row % 4 != 0) ++row;
  out.push_back('B');
  out.push_back('M');
  le(54 + row * h, 4);
  le(0, 4);
  le(54, 4);
  le(40, 4);
  le(w, 4);
  le(h, 4);
  le(1, 2);
  le(24, 2);
  for (int i = 0; i < 6; ++i) le(0, 4);
  for (int32_t y = bitmap.height() - 1; y >= 0; --y) {
    for (int32_t x = 0; x < bitmap.width(); ++x) {
      const Pixel p = bitmap.Get(x, y);
      out.push_back(p.b);
      out.push_back(p.g);
      out.push_back(p.r);
    }
    for (uint32_t i = w * 3; i < row; ++i) out.push_back(0);
  }
  return out;
}

void PaintF(HostBitmap& bitmap) {
  for (int32_t y = 0; y < bitmap.height(); ++y) {
    for (int32_t x = 0; x < bitmap.width(); ++x) {
      const bool ink = x == 0 || y == 0 || (y == 2 && x < 3);
      const auto b = static_cast<uint8_t>((ink ? 0x10 : 0xC0) + x);
      const auto g = static_cast<uint8_t>(0x40 + 3 * y);
      const auto r = static_cast<uint8_t>(ink ? 0xE0 : 0x20);
      bitmap.Set(x, y, {b, g, r, static_cast<uint8_t>(x * 40 + y)});
    }
  }
}

}  // namespace morvane_test
