// BlendBlt and RopBlt as a host calls them: results, clipping, overlap and random scenes against
// the plain model, on bitmaps whose buffers end at an inaccessible page.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "blit_call.h"
#include "host/host_bitmap.h"
#include "image_copy.h"
#include "random_scene.h"
#include "simd_helpers.h"

namespace morvane_test {
namespace {

using morvane::SimdLevel;

TEST(BlitResults, EmptyFitComesFirstThenNullViewThenBadCode) {
  HostBitmap dst(8, 8, {1, 2, 3, 4}), src(8, 8, {9, 9, 9, 255});
  const BitmapDesc none{0, 8, 8};
  // Empty after fitting: 1 whatever the code.
  EXPECT_EQ(BlendBlt(dst.desc(), 8, 0, 4, 4, src.desc(), 0, 0, 99), BLT_EMPTY);
  EXPECT_EQ(RopBlt(dst.desc(), 0, 0, 0, 4, src.desc(), 0, 0, 0), BLT_EMPTY);
  // A bitmap without pixels: 1, before the code is looked at.
  EXPECT_EQ(BlendBlt(dst.desc(), 0, 0, 4, 4, &none, 0, 0, 99), BLT_EMPTY);
  EXPECT_EQ(RopBlt(&none, 0, 0, 4, 4, src.desc(), 0, 0, SRCCOPY), BLT_EMPTY);
  EXPECT_EQ(BlendBlt(&none, 0, 0, 4, 4, &none, 0, 0, 0), BLT_EMPTY);
  // Unknown codes.
  for (uint32_t mode : {5u, 0xFFFFFFFFu, 258u, 0x80000000u}) {
    EXPECT_EQ(BlendBlt(dst.desc(), 0, 0, 4, 4, src.desc(), 0, 0, mode), BLT_BADOP) << mode;
  }
  // Other platform codes (fills, patterns, destination-only), zero, and near misses.
  for (uint32_t rop : {0u, 0x00CC0021u, 0x00000042u, 0x00FF0062u, 0x00F00021u, 0x00550009u,
                       0x00C000CAu, 0x00BB0226u, 0x005A0049u, 0x40CC0020u, 0x00CC0000u}) {
    EXPECT_EQ(RopBlt(dst.desc(), 0, 0, 4, 4, src.desc(), 0, 0, rop), BLT_BADOP) << std::hex << rop;
  }
  for (const Pixel& p : dst.Snapshot()) EXPECT_EQ(p, (Pixel{1, 2, 3, 4}));
}

// Image records that cannot describe memory, each beside a good image, at every level: the code
// is BLT_BADIMAGE whatever the rectangle and operator, and neither image is touched.
TEST(BlitResults, BadImageRecordsTouchNothing) {
  HostBitmap pixels(9, 5, {1, 2, 3, 4});
  const ImageCopy good(pixels, ImageLayout::kTopDown, Fence::kEnd);
  const MorvaneImage g = *good.image();
  for (SimdLevel level : AllLevels()) {
    ScopedSimdCap cap(level);
    for (const MorvaneImage& b : BadImageRecords(g)) {
      for (const auto& [dst, src] : {std::pair{&b, &g}, std::pair{&g, &b}}) {
        EXPECT_EQ(morvane_blend(dst, 0, 0, 4, 4, src, 0, 0, BLEND_NORMAL), BLT_BADIMAGE);
        EXPECT_EQ(morvane_rop(dst, 0, 0, 0, 0, src, 0, 0, 0), BLT_BADIMAGE);  // before fit, code
        EXPECT_EQ(morvane_clip(dst, 0, 0, 4, 4, src, 0, 0, nullptr, 0), BLT_BADIMAGE);
      }
    }
    EXPECT_EQ(morvane_blend(nullptr, 0, 0, 4, 4, &g, 0, 0, BLEND_ADD), BLT_BADIMAGE);
    EXPECT_EQ(morvane_rop(&g, 0, 0, 4, 4, nullptr, 0, 0, SRCCOPY), BLT_BADIMAGE);
    // A rectangle list that cannot be read.
    const MorvaneRect r{0, 0, 2, 2};
    EXPECT_EQ(morvane_clip(&g, 0, 0, 4, 4, &g, 1, 1, &r, -1), BLT_BADIMAGE);
    EXPECT_EQ(morvane_clip(&g, 0, 0, 4, 4, &g, 1, 1, nullptr, 3), BLT_BADIMAGE);
  }
  EXPECT_EQ(good.DifferenceFrom(pixels), "");
  // An image of no pixels may have none; nothing is drawn onto or from it.
  const MorvaneImage empty{nullptr, 0, 7, 0};
  EXPECT_EQ(morvane_blend(&empty, 0, 0, 4, 4, &g, 0, 0, BLEND_NORMAL), BLT_EMPTY);
  EXPECT_EQ(morvane_rop(&g, 0, 0, 4, 4, &empty, 0, 0, SRCCOPY), BLT_EMPTY);
}

TEST(BlitResults, TransparentSourceChangesNothingInAnyMode) {
  HostBitmap dst(6, 5), src(6, 5);
  std::mt19937 rng(3);
  dst.FillRandom(rng);
  src.FillRandom(rng);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 6; ++x) src.Set(x, y, {src.Get(x, y).b, 7, 7, 0});
  }
  const auto before = dst.Snapshot();
  for (uint32_t mode = 0; mode < 5; ++mode) {
    EXPECT_EQ(BlendBlt(dst.desc(), 0, 0, 6, 5, src.desc(), 0, 0, mode), BLT_DONE);
  }
  for (uint32_t rop : kRops) EXPECT_EQ(RopBlt(dst.desc(), 0, 0, 6, 5, src.desc(), 0, 0, rop), 0);
  EXPECT_EQ(dst.Snapshot(), before);
}

TEST(BlitResults, SrcCopyEqualsNormal) {
  TwinBitmaps a(9, 7, Fence::kEnd, 11), b(9, 7, Fence::kEnd, 11);
  HostBitmap src(9, 7);
  std::mt19937 rng(12);
  src.FillRandom(rng);
  EXPECT_EQ(BlendBlt(a.lib.desc(), -2, 1, 9, 9, src.desc(), 1, 0, BLEND_NORMAL), 0);
  EXPECT_EQ(RopBlt(b.lib.desc(), -2, 1, 9, 9, src.desc(), 1, 0, SRCCOPY), 0);
  EXPECT_EQ(a.lib.Snapshot(), b.lib.Snapshot());
}

TEST(BlitClipping, OneByOneChangesExactlyOnePixel) {
  HostBitmap dst(4, 4, {10, 10, 10, 10}), src(2, 2, {200, 200, 200, 255});
  EXPECT_EQ(BlendBlt(dst.desc(), 2, 3, 1, 1, src.desc(), 1, 1, BLEND_NORMAL), 0);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      const Pixel want = x == 2 && y == 3 ? Pixel{200, 200, 200, 255} : Pixel{10, 10, 10, 10};
      EXPECT_EQ(dst.Get(x, y), want) << x << "," << y;
    }
  }
}

TEST(BlitClipping, SpriteOffTheLeftEdgeKeepsTheRequestedMapping) {
  // Destination 100 x 100, source 50 x 50, asked at (-10, 5) for 20 x 20: columns 0..9 of the
  // destination receive source columns 10..19, and nothing right of column 9 changes.
  HostBitmap dst(100, 100, {0, 0, 0, 255}), src(50, 50);
  for (int32_t y = 0; y < 50; ++y) {
    for (int32_t x = 0; x < 50; ++x) src.Set(x, y, {uint8_t(x), uint8_t(y), 1, 255});
  }
  EXPECT_EQ(BlendBlt(dst.desc(), -10, 5, 20, 20, src.desc(), 0, 0, BLEND_NORMAL), 0);
  EXPECT_EQ(dst.Get(0, 5), (Pixel{10, 0, 1, 255}));
  EXPECT_EQ(dst.Get(9, 24), (Pixel{19, 19, 1, 255}));
  EXPECT_EQ(dst.Get(10, 5), (Pixel{0, 0, 0, 255}));
  EXPECT_EQ(dst.Get(0, 25), (Pixel{0, 0, 0, 255}));
}

TEST(BlitClipping, ExtremeCoordinatesMatchTheModel) {
  const int32_t values[] = {INT_MIN, INT_MIN + 1, -1000000, -3,          -1,     0,
                            1,       3,           1000000,  INT_MAX - 1, INT_MAX};
  std::mt19937 rng(5);
  std::uniform_int_distribution<size_t> pick(0, std::size(values) - 1);
  HostBitmap src(7, 6, {}, Fence::kStart);
  src.FillRandom(rng);
  for (int n = 0; n < 3000; ++n) {
    TwinBitmaps dst(5, 8, n % 2 ? Fence::kStart : Fence::kEnd, uint32_t(n));
    int32_t v[6];
    for (int32_t& e : v) e = values[pick(rng)];
    if (n % 3 == 0) v[2] = 6, v[3] = 5;  // a sane size with extreme positions
    const uint32_t rop = kRops[n % 7];
    const int32_t got = RopBlt(dst.lib.desc(), v[0], v[1], v[2], v[3], src.desc(), v[4], v[5], rop);
    const int32_t want =
        RefBlit(Family::kRop, dst.ref, v[0], v[1], v[2], v[3], src, v[4], v[5], rop);
    ASSERT_EQ(got, want) << n;
    ASSERT_EQ(dst.lib.Snapshot(), dst.ref.Snapshot()) << n;
  }
}

TEST(BlitRandom, ScenesMatchTheModel) {
  for (uint32_t seed = 0; seed < 4000; ++seed) {
    RandomScene s(seed, SceneLimits{23, 19, 5});
    const int32_t got = Blit(s.family, s.dst.lib.desc(), s.x, s.y, s.w, s.h, s.src().lib.desc(),
                             s.sx, s.sy, s.code);
    const int32_t want =
        RefBlit(s.family, s.dst.ref, s.x, s.y, s.w, s.h, s.src().ref, s.sx, s.sy, s.code);
    ASSERT_EQ(ModelDifference(s, got, want), "") << "seed " << seed;
  }
}

TEST(BlitOverlap, SourceOneRowAboveReadsRowsAlreadyMerged) {
  // A column of distinct pixels merged one row down onto itself with ADD: each row adds the row
  // above it as this call has already left it, so the sums run down the column.
  HostBitmap bmp(1, 4);
  for (int32_t y = 0; y < 4; ++y) bmp.Set(0, y, {uint8_t(10 + y), 0, 0, 255});
  EXPECT_EQ(BlendBlt(bmp.desc(), 0, 1, 1, 3, bmp.desc(), 0, 0, BLEND_ADD), 0);
  EXPECT_EQ(bmp.Get(0, 1).b, 10 + 11);
  EXPECT_EQ(bmp.Get(0, 2).b, 21 + 12);
  EXPECT_EQ(bmp.Get(0, 3).b, 33 + 13);
}

TEST(BlitOverlap, SourceOneRowBelowReadsEveryRowBeforeItChanges) {
  HostBitmap bmp(1, 4);
  for (int32_t y = 0; y < 4; ++y) bmp.Set(0, y, {uint8_t(10 + y), 0, 0, 255});
  EXPECT_EQ(BlendBlt(bmp.desc(), 0, 0, 1, 3, bmp.desc(), 0, 1, BLEND_ADD), 0);
  EXPECT_EQ(bmp.Get(0, 0).b, 10 + 11);
  EXPECT_EQ(bmp.Get(0, 1).b, 11 + 12);
  EXPECT_EQ(bmp.Get(0, 2).b, 12 + 13);
  EXPECT_EQ(bmp.Get(0, 3).b, 13);
}

}  // namespace
}  // namespace morvane_test
