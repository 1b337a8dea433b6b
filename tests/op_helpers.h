// Helpers shared by the operator and merge tests: run one table row on bare pixels.
#ifndef MORVANE_TESTS_OP_HELPERS_H_
#define MORVANE_TESTS_OP_HELPERS_H_

#include <cstdint>

#include "composite/op_table.h"
#include "reference.h"

namespace morvane_test {

inline morvane::PixelView BareView(uint8_t* pixels, int32_t width, int32_t height) {
  return morvane::BottomUpView(pixels, width, height);
}

inline const morvane::OpEntry* Row(Family family, uint32_t code) {
  return family == Family::kBlend ? morvane::FindOp(morvane::kBlendOps, code)
                                  : morvane::FindOp(morvane::kRopOps, code);
}

// The reference walk of the operator with `code`, from the reference table.
inline morvane::BoxWalk ReferenceWalk(Family family, uint32_t code) {
  if (family == Family::kBlend) {
    return morvane::kReferenceWalks.blend[Row(family, code) - morvane::kBlendOps];
  }
  return morvane::kReferenceWalks.rop[Row(family, code) - morvane::kRopOps];
}

// Runs `walk` over the whole w x h rectangle of d, with s as the source from its corner.
inline void WalkWhole(morvane::BoxWalk walk, const morvane::PixelView& d,
                      const morvane::PixelView& s, int32_t w, int32_t h) {
  const morvane::ClipBox whole{0, 0, w, h};
  walk(morvane::BlitViews{d, s, 0, 0, 0, 0}, &whole, 1);
}

// Merges one source pixel into one destination pixel through the walk of the table row.
inline Pixel MergeOne(Family family, uint32_t code, Pixel dp, Pixel sp) {
  WalkWhole(ReferenceWalk(family, code), BareView(&dp.b, 1, 1), BareView(&sp.b, 1, 1), 1, 1);
  return dp;
}

}  // namespace morvane_test

#endif  // MORVANE_TESTS_OP_HELPERS_H_
