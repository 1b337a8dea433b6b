// The region is the address of a record laid out as the platform's RGNDATA: header fields dwSize,
// iType, nCount, nRgnSize and an ignored bounding rectangle, then nCount rectangles. The record
// may sit at any address, so every field is copied out rather than read in place.
#include <cstddef>
#include <cstring>

#include "clipblt/region_rects.h"

namespace morvane {

RegionRead CollectRegionRects(MorvaneRegion region, const ClipFrame& frame, ClipList* out) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(region);
  uint32_t size, type, count, rect_bytes;
  std::memcpy(&size, bytes + offsetof(MorvaneRgnData, dwSize), 4);
  std::memcpy(&type, bytes + offsetof(MorvaneRgnData, iType), 4);
  if (size != kRegionHeaderBytes || type != kRegionTypeRects) return RegionRead::kInvalid;
  std::memcpy(&count, bytes + offsetof(MorvaneRgnData, nCount), 4);
  std::memcpy(&rect_bytes, bytes + offsetof(MorvaneRgnData, nRgnSize), 4);
  // A record whose two sizes disagree is not trusted for either: reading nCount rectangles could
  // run past the bytes it declares.
  if (count > kRegionMaxRects) return RegionRead::kInvalid;
  if (rect_bytes != 0 && rect_bytes < count * kRegionRectBytes) return RegionRead::kInvalid;

  const unsigned char* rects = bytes + kRegionHeaderBytes;
  const bool added = out->AddCuts(count, frame, [rects](size_t i) {
    RegionRect rect;
    std::memcpy(&rect, rects + i * kRegionRectBytes, sizeof rect);
    return rect;
  });
  if (!added) return RegionRead::kNoMemory;
  return RegionRead::kDone;
}

}  // namespace morvane
