// Operator tables, generated from the operator lists in channel_ops.h and looked up once per call:
// the rows callers name (code and name), and for the reference walk and each instruction set a
// table of walks in the same order.
#ifndef MORVANE_COMPOSITE_OP_TABLE_H_
#define MORVANE_COMPOSITE_OP_TABLE_H_

#include <cstddef>
#include <cstdint>

#include "composite/channel_ops.h"
#include "composite/composite_rect.h"
#include "composite/simd_level.h"

namespace morvane {

struct OpEntry {
  uint32_t code;     // the blend mode or raster operation code the caller passes
  const char* name;  // the public name of the code
};

template <class List>
struct OpRows;
template <class... Ops>
struct OpRows<OpList<Ops...>> {
  static constexpr OpEntry kRows[sizeof...(Ops)] = {{Ops::kCode, Ops::kName}...};
};

inline constexpr const OpEntry (&kBlendOps)[BlendOpList::kCount] = OpRows<BlendOpList>::kRows;
inline constexpr const OpEntry (&kRopOps)[RopOpList::kCount] = OpRows<RopOpList>::kRows;

// One instruction set's walks, row for row with kBlendOps and kRopOps, and the SRCCOPY walk
// through a coverage mask (BlitViews) that ClipBlt takes for regions of many small rectangles.
struct LevelWalks {
  BoxWalk blend[BlendOpList::kCount];
  BoxWalk rop[RopOpList::kCount];
  BoxWalk covered_copy;
};

// A level's table from a walk template: Walk<Op>::Run for every operator, in the lists' order,
// and Walk<RopOp::SrcCopy>::RunCovered.
template <template <class> class Walk, class... Blend, class... Rop>
constexpr LevelWalks MakeLevelWalks(OpList<Blend...>, OpList<Rop...>) {
  return {{Walk<Blend>::Run...}, {Walk<Rop>::Run...}, Walk<RopOp::SrcCopy>::RunCovered};
}
template <template <class> class Walk>
constexpr LevelWalks MakeLevelWalks() {
  return MakeLevelWalks<Walk>(BlendOpList{}, RopOpList{});
}

// The reference walks over boxes, and the vector walks of each instruction set this build has
// (simd_walks.h).
extern const LevelWalks kReferenceWalks;

// Row i for SimdLevel i (see SimdWalksFor in blit.h).
extern const LevelWalks* const kSimdWalks[static_cast<int>(kTopSimdLevel) + 1];

// The row whose code equals `code` exactly, or null.
const OpEntry* FindOp(const OpEntry* table, size_t count, uint32_t code);
template <size_t N>
const OpEntry* FindOp(const OpEntry (&table)[N], uint32_t code) {
  return FindOp(table, N, code);
}

enum class OpFamily { kBlend, kRop };

}  // namespace morvane

#endif  // MORVANE_COMPOSITE_OP_TABLE_H_
