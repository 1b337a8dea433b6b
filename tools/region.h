// Clip regions for ClipBlt, built as the library reads them on this platform: a region record
// (a 32-byte header, then rectangles), here one rectangle per scanline and span.
#ifndef MORVANE_TOOLS_REGION_H_
#define MORVANE_TOOLS_REGION_H_

#include <cstdint>
#include <vector>

#include "morvane.h"

namespace morvane_tool {

// A box (x, y, w, h); the ellipse drawn in it touches its four sides.
struct Box {
  int32_t x, y, w, h;
};

class RegionRecord {
 public:
  RegionRecord();
  // Adds the rectangle [left, right) x [top, bottom); empty ones are dropped.
  void Add(int32_t left, int32_t top, int32_t right, int32_t bottom);
  uint32_t count() const;
  // Valid until the next Add.
  MorvaneRegion get() const { return reinterpret_cast<MorvaneRegion>(bytes_.data()); }

 private:
  std::vector<uint8_t> bytes_;
};

// The pixels of `limit` whose centres lie inside the ellipse inscribed in `box`. The limit keeps
// the record as small as the area that will be drawn, however large the ellipse.
RegionRecord EllipseRegion(Box box, Box limit);

// The pixels of `limit` inside the ellipse of `outer` but not inside the ellipse of `inner`.
RegionRecord RingRegion(Box outer, Box inner, Box limit);

}  // namespace morvane_tool

#endif  // MORVANE_TOOLS_REGION_H_
