#include "composite/op_table.h"

#include "composite/channel_ops.h"

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

const OpEntry* FindOp(const OpEntry* table, size_t count, uint32_t code) {
  for (size_t i = 0; i < count; ++i) {
    if (table[i].code == code) return &table[i];
  }
  return nullptr;
}

namespace {

int32_t RunOp(const OpEntry* op, const PixelView& dst, int32_t x, int32_t y, int32_t w, int32_t h,
              const PixelView& src, int32_t sx, int32_t sy) {
  if (op == nullptr) return BLT_BADOP;
  op->walk(dst, x, y, w, h, src, sx, sy);
  return BLT_DONE;
}

}  // namespace

int32_t BlendComposite(const PixelView& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                       const PixelView& src, int32_t sx, int32_t sy, uint32_t mode) {
  return RunOp(FindOp(kBlendOps, mode), dst, x, y, w, h, src, sx, sy);
}

int32_t RopComposite(const PixelView& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                     const PixelView& src, int32_t sx, int32_t sy, uint32_t rop) {
  return RunOp(FindOp(kRopOps, rop), dst, x, y, w, h, src, sx, sy);
}

}  // namespace morvane
