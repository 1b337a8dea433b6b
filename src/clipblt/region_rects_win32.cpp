// The region is a GDI region handle. GetRegionData copies its rectangles out; the handle itself
// is only read.
#include <windows.h>

#include <cstring>

#include "clipblt/region_rects.h"

namespace morvane {
namespace {

// Regions of up to 62 rectangles (a small ellipse, a handful of combined shapes) stay on the
// stack; the unit is a RECT so that the buffer is aligned for the header and the rectangles.
using RegionBuffer = SmallBuffer<RECT, 64>;
static_assert(sizeof(RECT) == kRegionRectBytes && sizeof(RGNDATAHEADER) == kRegionHeaderBytes,
              "the platform's region layout");

}  // namespace

RegionRead CollectRegionRects(MorvaneRegion region, const ClipFrame& frame, ClipList* out) {
  HRGN handle = static_cast<HRGN>(region);
  const DWORD needed = GetRegionData(handle, 0, nullptr);
  if (needed < sizeof(RGNDATAHEADER)) return RegionRead::kInvalid;
  RegionBuffer buffer;
  if (!buffer.Reserve((size_t{needed} + sizeof(RECT) - 1) / sizeof(RECT))) {
    return RegionRead::kNoMemory;
  }
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  if (GetRegionData(handle, needed, data) != needed) return RegionRead::kInvalid;

  RGNDATAHEADER header;
  std::memcpy(&header, data, sizeof header);
  // Trust the counts only as far as the bytes the platform wrote.
  if (header.dwSize < sizeof header || header.dwSize > needed || header.iType != RDH_RECTANGLES ||
      header.nCount > (needed - header.dwSize) / kRegionRectBytes) {
    return RegionRead::kInvalid;
  }
  const auto* rects = reinterpret_cast<const unsigned char*>(data) + header.dwSize;
  const bool added = out->AddCuts(header.nCount, frame, [rects](size_t i) {
    RECT r;
    std::memcpy(&r, rects + i * kRegionRectBytes, sizeof r);
    return RegionRect{static_cast<int32_t>(r.left), static_cast<int32_t>(r.top),
                      static_cast<int32_t>(r.right), static_cast<int32_t>(r.bottom)};
  });
  if (!added) return RegionRead::kNoMemory;
  return RegionRead::kDone;
}

}  // namespace morvane
