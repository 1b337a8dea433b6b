// The documented edge cases of the merge and of each operator, one row each.
#include <gtest/gtest.h>

#include "op_helpers.h"

namespace morvane_test {
namespace {

struct EdgeRow {
  const char* what;
  Family family;
  uint32_t code;
  Pixel dp, sp, expected;
};

constexpr Family B = Family::kBlend, R = Family::kRop;

const EdgeRow kEdgeRows[] = {
    // The merge itself.
    {"transparent source leaves a transparent pixel",
     B,
     1,
     {10, 20, 30, 0},
     {9, 9, 9, 0},
     {10, 20, 30, 0}},
    {"transparent source leaves an opaque pixel",
     R,
     SRCINVERT,
     {10, 20, 30, 255},
     {9, 9, 9, 0},
     {10, 20, 30, 255}},
    {"half over half: alpha 191, negative step truncates toward zero",
     B,
     0,
     {200, 200, 200, 128},
     {0, 0, 0, 128},
     {66, 66, 66, 191}},
    {"opaque destination, faint source", B, 0, {0, 0, 0, 255}, {255, 255, 255, 1}, {1, 1, 1, 255}},
    {"whole pixel, normal", B, 0, {10, 20, 30, 64}, {200, 100, 0, 192}, {186, 94, 3, 207}},
    {"whole pixel, srccopy", R, SRCCOPY, {10, 20, 30, 64}, {200, 100, 0, 192}, {186, 94, 3, 207}},
    {"normal onto a transparent pixel takes the source",
     B,
     0,
     {9, 9, 9, 0},
     {10, 20, 30, 77},
     {10, 20, 30, 77}},
    {"a transparent pixel still feeds its colour to the operator",
     B,
     1,
     {100, 100, 100, 0},
     {50, 50, 50, 10},
     {150, 150, 150, 10}},
    // Blend modes, opaque source.
    {"add caps", B, 1, {200, 100, 128, 255}, {100, 100, 127, 255}, {255, 200, 255, 255}},
    {"subtract floors", B, 2, {50, 80, 0, 255}, {80, 50, 0, 255}, {0, 30, 0, 255}},
    {"multiply truncates", B, 3, {128, 255, 0, 255}, {128, 255, 77, 255}, {64, 255, 0, 255}},
    {"brighten", B, 4, {0, 100, 128, 255}, {200, 128, 255, 255}, {0, 150, 255, 255}},
    {"multiply, half-transparent source",
     B,
     3,
     {200, 100, 50, 255},
     {128, 255, 0, 128},
     {150, 100, 25, 255}},
    // Raster operations, opaque source.
    {"srcinvert", R, SRCINVERT, {0xF0, 0, 0x12, 255}, {0xFF, 0, 0x34, 255}, {0x0F, 0, 0x26, 255}},
    {"srcerase", R, SRCERASE, {0x0F, 0xFF, 0xFF, 255}, {0xFF, 0x12, 0xFF, 255}, {0xF0, 0, 0, 255}},
    {"notsrccopy", R, NOTSRCCOPY, {1, 2, 3, 255}, {0, 0xFF, 0x0F, 255}, {255, 0, 0xF0, 255}},
    {"notsrcerase",
     R,
     NOTSRCERASE,
     {0x0F, 0, 0x01, 255},
     {0xF0, 0, 0x02, 255},
     {0, 255, 0xFC, 255}},
    {"srcpaint", R, SRCPAINT, {0x0F, 0, 0x01, 255}, {0xF0, 0, 0x02, 255}, {255, 0, 3, 255}},
    {"srcand, half-transparent source",
     R,
     SRCAND,
     {200, 200, 200, 255},
     {0, 0, 0, 128},
     {100, 100, 100, 255}},
};

TEST(MergeEdgeCases, EachRow) {
  for (const EdgeRow& row : kEdgeRows) {
    SCOPED_TRACE(row.what);
    const Pixel got = MergeOne(row.family, row.code, row.dp, row.sp);
    EXPECT_EQ(got.b, row.expected.b);
    EXPECT_EQ(got.g, row.expected.g);
    EXPECT_EQ(got.r, row.expected.r);
    EXPECT_EQ(got.a, row.expected.a);
  }
}

TEST(MergeEdgeCases, PixelMergedWithItselfWeighsByTheNewAlpha) {
  // One pixel as both source and destination: every colour byte becomes op(d, d) exactly.
  Pixel p{100, 100, 100, 128};
  morvane::PixelView v = BareView(&p.b, 1, 1);
  WalkWhole(ReferenceWalk(B, BLEND_ADD), v, v, 1, 1);
  EXPECT_EQ(p, (Pixel{200, 200, 200, 191}));
  // The same bytes as a separate source are weighed by the source alpha.
  EXPECT_EQ(MergeOne(B, BLEND_ADD, {100, 100, 100, 128}, {100, 100, 100, 128}),
            (Pixel{167, 167, 167, 191}));
}

}  // namespace
}  // namespace morvane_test
