#include "composite/op_table.h"

#include "composite/simd_walks.h"

namespace morvane {

template <class Op>
struct ReferenceWalk {
  static constexpr BoxWalk Run = ReferenceBoxWalk<Op>;
  static constexpr BoxWalk RunCovered = ReferenceCoveredWalk<Op>;
};

const LevelWalks kReferenceWalks = MakeLevelWalks<ReferenceWalk>();

const OpEntry* FindOp(const OpEntry* table, size_t count, uint32_t code) {
  for (size_t i = 0; i < count; ++i) {
    if (table[i].code == code) return &table[i];
  }
  return nullptr;
}

const LevelWalks* SimdWalksFor(SimdLevel level) {
  switch (level) {
#if MORVANE_X86_WIDE_SIMD
    case SimdLevel::kAvx512:
      return &kAvx512Walks;
    case SimdLevel::kAvx2:
      return &kAvx2Walks;
#endif  // MORVANE_X86_WIDE_SIMD
#if MORVANE_X86_SIMD
    case SimdLevel::kSse41:
      return &kSse41Walks;
    case SimdLevel::kSse2:
      return &kSse2Walks;
#endif  // MORVANE_X86_SIMD
    default:
      break;
  }
  return nullptr;
}

int32_t Composite(OpFamily family, const PixelView& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                  const PixelView& src, int32_t sx, int32_t sy, uint32_t code) {
  // Blend modes are their rows' indices; raster operation codes are compared exactly.
  size_t row;
  if (family == OpFamily::kBlend) {
    if (code >= BlendOpList::kCount) return BLT_BADOP;
    row = code;
  } else {
    const OpEntry* entry = FindOp(kRopOps, code);
    if (entry == nullptr) return BLT_BADOP;
    row = static_cast<size_t>(entry - kRopOps);
  }
  const LevelWalks& walks = WalksForCall(!RectSpansOverlap(dst, x, y, w, h, src, sx, sy));
  const BoxWalk walk = family == OpFamily::kBlend ? walks.blend[row] : walks.rop[row];
  const ClipBox whole{0, 0, w, h};
  walk(BlitViews{dst, src, x, y, sx, sy}, &whole, 1);
  return BLT_DONE;
}

}  // namespace morvane
