// Reading a caller's clip region as rectangles: the one step of the clipped blit that differs per
// platform. On Windows the region is a region handle; elsewhere it is a region record in the
// platform's RGNDATA layout (see morvane.h).
#ifndef MORVANE_CLIPBLT_REGION_RECTS_H_
#define MORVANE_CLIPBLT_REGION_RECTS_H_

#include <cstdint>

#include "clipblt/clip_list.h"
#include "morvane.h"

namespace morvane {

enum class RegionRead {
  kDone,      // every rectangle was read
  kInvalid,   // the argument is not a valid region; nothing was added
  kNoMemory,  // a buffer could not be allocated; nothing was added
};

// Adds each rectangle of `region` (not null) to `out`, cut to the frame. Reads the region only:
// the caller's handle or record is never changed, and nothing acquired outlives the call.
RegionRead CollectRegionRects(MorvaneRegion region, const ClipFrame& frame, ClipList* out);

// The layout both platforms share: a 32-byte header, then 16-byte rectangles.
constexpr uint32_t kRegionHeaderBytes = 32;
constexpr uint32_t kRegionRectBytes = 16;
constexpr uint32_t kRegionTypeRects = 1;
// The largest count whose rectangles and header still have a 32-bit size.
constexpr uint32_t kRegionMaxRects = (UINT32_MAX - kRegionHeaderBytes) / kRegionRectBytes;

}  // namespace morvane

#endif  // MORVANE_CLIPBLT_REGION_RECTS_H_
