// Operator tables: one row per operator, looked up once per call.
#ifndef MORVANE_COMPOSITE_OP_TABLE_H_
#define MORVANE_COMPOSITE_OP_TABLE_H_

#include <cstddef>
#include <cstdint>

#include "composite/composite_rect.h"

namespace morvane {

struct OpEntry {
  uint32_t code;     // the blend mode or raster operation code the caller passes
  const char* name;  // the public name of the code
  RectWalk walk;     // CompositeRectT built for this operator: the reference walk
};

extern const OpEntry kBlendOps[5];
extern const OpEntry kRopOps[7];

// The row whose code equals `code` exactly, or null.
const OpEntry* FindOp(const OpEntry* table, size_t count, uint32_t code);

template <size_t N>
const OpEntry* FindOp(const OpEntry (&table)[N], uint32_t code) {
  return FindOp(table, N, code);
}

// The walk to run for `row` of kBlendOps (or kRopOps) in one call: the row's vector walk for this
// processor (simd_walks.h) when `apart`, i.e. when the bytes the call reads from the source and the
// bytes it writes do not overlap; the row's reference walk otherwise, since then the
// pixel-by-pixel order decides the result. Both give the same bytes.
RectWalk ChooseBlendWalk(const OpEntry& row, bool apart);
RectWalk ChooseRopWalk(const OpEntry& row, bool apart);

// The dispatchers behind the blits. The rectangle is already fitted and both views have pixels.
// Each looks the code up once, runs the selected operator's walk and returns BLT_DONE, or returns
// BLT_BADOP and touches nothing. The walk is chosen as above, for the whole rectangle.
int32_t BlendComposite(const PixelView& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                       const PixelView& src, int32_t sx, int32_t sy, uint32_t mode);
int32_t RopComposite(const PixelView& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                     const PixelView& src, int32_t sx, int32_t sy, uint32_t rop);

}  // namespace morvane

#endif  // MORVANE_COMPOSITE_OP_TABLE_H_
