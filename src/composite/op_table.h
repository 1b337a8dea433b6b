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

// The dispatchers behind the blits. The rectangle is already fitted and both views have pixels.
// Each looks the code up once, runs the selected operator's walk and returns BLT_DONE, or returns
// BLT_BADOP and touches nothing. The walk is the operator's vector walk for this processor
// (simd_walks.h) when the source and destination bytes are apart, and its reference walk otherwise;
// both give the same bytes.
int32_t BlendComposite(const PixelView& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                       const PixelView& src, int32_t sx, int32_t sy, uint32_t mode);
int32_t RopComposite(const PixelView& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                     const PixelView& src, int32_t sx, int32_t sy, uint32_t rop);

}  // namespace morvane

#endif  // MORVANE_COMPOSITE_OP_TABLE_H_
