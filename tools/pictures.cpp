#include "pictures.h"

#include <algorithm>
#include <cmath>

namespace morvane_tool {
namespace {

uint8_t Byte(double unit) {
  return static_cast<uint8_t>(std::lround(std::clamp(unit, 0.0, 1.0) * 255.0));
}

// Hue in degrees, saturation and value in 0..1. Each channel is the value less a share of the
// chroma that depends on how far the hue lies from that channel's own hue.
Bgra FromHsv(double hue, double saturation, double value, uint8_t alpha) {
  const auto channel = [&](double n) {
    const double k = std::fmod(n + hue / 60.0, 6.0);
    return value - value * saturation * std::clamp(std::min(k, 4.0 - k), 0.0, 1.0);
  };
  return {Byte(channel(1)), Byte(channel(3)), Byte(channel(5)), alpha};
}

}  // namespace

HostImage MakeSprite(int32_t width, int32_t height) {
  HostImage image;
  if (!image.Allocate(width, height)) return image;
  const double cx = width / 2.0, cy = height / 2.0;
  const double half = std::min(cx, cy);
  const double rim = half * 0.14;   // width of the soft rim, in pixels
  const double hole = half * 0.30;  // radius of the hole
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const double u = (x + 0.5 - cx) / cx, v = (y + 0.5 - cy) / cy;
      // A superellipse: a rectangle with round corners. Its "radius" below 1 is inside.
      const double radius = std::pow(std::pow(u, 4) + std::pow(v, 4), 0.25);
      const double inside = std::clamp((1.0 - radius) * half / rim, 0.0, 1.0);
      const double from_centre = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      const double open = std::clamp((from_centre - hole) / (rim * 0.5), 0.0, 1.0);
      const double hue = 300.0 * x / std::max(1, width - 1);
      const double value = 1.0 - 0.45 * y / std::max(1, height - 1);
      image.Set(x, y, FromHsv(hue, 0.85, value, Byte(inside * open)));
    }
  }
  return image;
}

HostImage MakeBackdrop(int32_t width, int32_t height) {
  HostImage image;
  if (!image.Allocate(width, height)) return image;
  constexpr int32_t kSquare = 16;
  const Bgra light = {200, 226, 238, 0}, dark = {96, 60, 58, 0};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      Bgra p = ((x / kSquare + y / kSquare) % 2 == 0) ? light : dark;
      p.a = Byte(1.0 - 0.7 * x / std::max(1, width - 1));
      image.Set(x, y, p);
    }
  }
  return image;
}

}  // namespace morvane_tool
