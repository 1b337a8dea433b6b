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

// Merges one source pixel into one destination pixel through the walk of the table row.
inline Pixel MergeOne(Family family, uint32_t code, Pixel dp, Pixel sp) {
  morvane::PixelView d = BareView(&dp.b, 1, 1), s = BareView(&sp.b, 1, 1);
  Row(family, code)->walk(d, 0, 0, 1, 1, s, 0, 0);
  return dp;
}

}  // namespace morvane_test

#endif  // MORVANE_TESTS_OP_HELPERS_H_
