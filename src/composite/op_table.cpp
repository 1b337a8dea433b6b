#include "composite/op_table.h"

#include "composite/channel_ops.h"
#include "composite/simd_walks.h"

namespace morvane {

// Rows in mode order, so that a mode is also its row's index.
const OpEntry kBlendOps[5] = {
    {BLEND_NORMAL, "BLEND_NORMAL", CompositeRectT<BlendOp::Normal>},
    {BLEND_ADD, "BLEND_ADD", CompositeRectT<BlendOp::Add>},
    {BLEND_SUBTRACT, "BLEND_SUBTRACT", CompositeRectT<BlendOp::Subtract>},
    {BLEND_MULTIPLY, "BLEND_MULTIPLY", CompositeRectT<BlendOp::Multiply>},
    {BLEND_BRIGHTEN, "BLEND_BRIGHTEN", CompositeRectT<BlendOp::Brighten>},
};

const OpEntry kRopOps[7] = {
    {SRCCOPY, "SRCCOPY", CompositeRectT<RopOp::SrcCopy>},
    {SRCPAINT, "SRCPAINT", CompositeRectT<RopOp::SrcPaint>},
    {SRCAND, "SRCAND", CompositeRectT<RopOp::SrcAnd>},
    {SRCINVERT, "SRCINVERT", CompositeRectT<RopOp::SrcInvert>},
    {SRCERASE, "SRCERASE", CompositeRectT<RopOp::SrcErase>},
    {NOTSRCCOPY, "NOTSRCCOPY", CompositeRectT<RopOp::NotSrcCopy>},
    {NOTSRCERASE, "NOTSRCERASE", CompositeRectT<RopOp::NotSrcErase>},
};

static_assert(sizeof(SimdWalks::blend) / sizeof(RectWalk) == sizeof(kBlendOps) / sizeof(OpEntry),
              "one vector walk per blend mode");
static_assert(sizeof(SimdWalks::rop) / sizeof(RectWalk) == sizeof(kRopOps) / sizeof(OpEntry),
              "one vector walk per raster operation");

const OpEntry* FindOp(const OpEntry* table, size_t count, uint32_t code) {
  for (size_t i = 0; i < count; ++i) {
    if (table[i].code == code) return &table[i];
  }
  return nullptr;
}

const SimdWalks* SimdWalksFor(SimdLevel level) {
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

RectWalk ChooseBlendWalk(const OpEntry& row, bool apart) {
  const SimdWalks* simd = apart ? SimdWalksFor(ActiveSimdLevel()) : nullptr;
  return simd != nullptr ? simd->blend[&row - kBlendOps] : row.walk;
}

RectWalk ChooseRopWalk(const OpEntry& row, bool apart) {
  const SimdWalks* simd = apart ? SimdWalksFor(ActiveSimdLevel()) : nullptr;
  return simd != nullptr ? simd->rop[&row - kRopOps] : row.walk;
}

int32_t BlendComposite(const PixelView& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                       const PixelView& src, int32_t sx, int32_t sy, uint32_t mode) {
  const OpEntry* row = FindOp(kBlendOps, mode);
  if (row == nullptr) return BLT_BADOP;
  const bool apart = !RectSpansOverlap(dst, x, y, w, h, src, sx, sy);
  ChooseBlendWalk(*row, apart)(dst, x, y, w, h, src, sx, sy);
  return BLT_DONE;
}

int32_t RopComposite(const PixelView& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                     const PixelView& src, int32_t sx, int32_t sy, uint32_t rop) {
  const OpEntry* row = FindOp(kRopOps, rop);
  if (row == nullptr) return BLT_BADOP;
  const bool apart = !RectSpansOverlap(dst, x, y, w, h, src, sx, sy);
  ChooseRopWalk(*row, apart)(dst, x, y, w, h, src, sx, sy);
  return BLT_DONE;
}

}  // namespace morvane
