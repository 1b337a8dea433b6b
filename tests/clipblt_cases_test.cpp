// ClipBlt on hand-made scenes: what a region lets through, where it is anchored, overlapping
// rectangles, a bitmap clipped onto itself, and a small sprite out of a large sheet.
#include <gtest/gtest.h>

#include <random>

#include "host/host_bitmap.h"
#include "reference.h"
#include "region_record.h"

namespace morvane_test {
namespace {

void FillRandom(HostBitmap& bmp, uint32_t seed) {
  std::mt19937 rng(seed);
  bmp.FillRandom(rng);
}

// Makes every opaque pixel say where it came from: blue = x, green = y.
void Label(HostBitmap& bmp) {
  for (int32_t y = 0; y < bmp.height(); ++y) {
    for (int32_t x = 0; x < bmp.width(); ++x) bmp.Set(x, y, {uint8_t(x), uint8_t(y), 7, 255});
  }
}

TEST(ClipBltRegion, CoveringOrNullRegionEqualsRopBltSrcCopy) {
  struct Case {
    int32_t x, y, w, h, sx, sy;
  } cases[] = {
      {2, 3, 9, 6, 1, 0}, {-3, 2, 9, 6, 0, 1}, {4, -2, 9, 9, 2, 0}, {1, 1, 20, 20, -2, -1}};
  HostBitmap src(12, 10);
  FillRandom(src, 1);
  for (const Case& c : cases) {
    TwinBitmaps with_region(13, 11, Fence::kEnd, 2), with_null(13, 11, Fence::kEnd, 2),
        rop(13, 11, Fence::kEnd, 2);
    const RegionRecord covering({{0, 0, c.w, c.h}});
    EXPECT_EQ(
        ClipBlt(with_region.lib.desc(), c.x, c.y, c.w, c.h, src.desc(), c.sx, c.sy, covering.get()),
        BLT_DONE);
    EXPECT_EQ(ClipBlt(with_null.lib.desc(), c.x, c.y, c.w, c.h, src.desc(), c.sx, c.sy, nullptr),
              BLT_DONE);
    EXPECT_EQ(RopBlt(rop.lib.desc(), c.x, c.y, c.w, c.h, src.desc(), c.sx, c.sy, SRCCOPY), 0);
    EXPECT_EQ(with_region.lib.Snapshot(), rop.lib.Snapshot()) << c.x << "," << c.y;
    EXPECT_EQ(with_null.lib.Snapshot(), rop.lib.Snapshot()) << c.x << "," << c.y;
  }
}

TEST(ClipBltRegion, RegionWithoutPixelsInTheRectangleDrawsNothingAndSucceeds) {
  HostBitmap src(8, 8);
  FillRandom(src, 3);
  TwinBitmaps dst(8, 8, Fence::kEnd, 4);
  const RegionRecord regions[] = {
      RegionRecord({}),                                            // no rectangles
      RegionRecord({{3, 3, 3, 6}, {2, 5, 6, 5}, {6, 6, 1, 1}}),    // only empty ones
      RegionRecord({{-5, 0, 0, 8}, {8, 0, 12, 8}, {0, 8, 8, 9}}),  // only outside
  };
  for (const RegionRecord& region : regions) {
    EXPECT_EQ(ClipBlt(dst.lib.desc(), 0, 0, 8, 8, src.desc(), 0, 0, region.get()), BLT_DONE);
  }
  EXPECT_EQ(dst.lib.Snapshot(), dst.ref.Snapshot());
}

TEST(ClipBltRegion, LeftHalfDrawsOnlyTheLeftHalf) {
  HostBitmap dst(10, 6, {1, 2, 3, 255});
  HostBitmap src(8, 8);
  Label(src);
  const RegionRecord left_half({{0, 0, 4, 4}});
  EXPECT_EQ(ClipBlt(dst.desc(), 2, 1, 8, 4, src.desc(), 1, 2, left_half.get()), BLT_DONE);
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 0; x < 10; ++x) {
      const bool drawn = x >= 2 && x < 6 && y >= 1 && y < 5;
      const Pixel want =
          drawn ? Pixel{uint8_t(x - 1), uint8_t(y + 1), 7, 255} : Pixel{1, 2, 3, 255};
      EXPECT_EQ(dst.Get(x, y), want) << x << "," << y;
    }
  }
}

TEST(ClipBltRegion, TransparentSourceInsideTheRegionLeavesTheDestination) {
  HostBitmap src(5, 5, {200, 100, 50, 0});
  TwinBitmaps dst(5, 5, Fence::kEnd, 5);
  const RegionRecord all({{0, 0, 5, 5}});
  EXPECT_EQ(ClipBlt(dst.lib.desc(), 0, 0, 5, 5, src.desc(), 0, 0, all.get()), BLT_DONE);
  EXPECT_EQ(dst.lib.Snapshot(), dst.ref.Snapshot());
}

TEST(ClipBltRegion, PixelsInSeveralRectanglesAreMergedOnce) {
  // Half-transparent over half-transparent: merging twice would raise the alpha again.
  const Pixel base{40, 80, 120, 128}, paint{200, 10, 90, 128};
  Pixel once = base;
  RefMerge(&once.b, &paint.b, [](int, int s) { return s; });
  Pixel twice = once;
  RefMerge(&twice.b, &paint.b, [](int, int s) { return s; });
  ASSERT_NE(once, twice);

  HostBitmap dst(12, 12, base), src(12, 12, paint);
  const Rects rects = {{0, 0, 6, 6},  {3, 3, 9, 9},   {0, 0, 6, 6}, {1, 1, 2, 2},
                       {7, 0, 9, 12}, {4, 8, 12, 10}, {8, 2, 7, 5}};
  const RegionRecord region(rects);
  EXPECT_EQ(ClipBlt(dst.desc(), 0, 0, 12, 12, src.desc(), 0, 0, region.get()), BLT_DONE);
  for (int32_t y = 0; y < 12; ++y) {
    for (int32_t x = 0; x < 12; ++x) {
      EXPECT_EQ(dst.Get(x, y), RectsContain(rects, x, y) ? once : base) << x << "," << y;
    }
  }
}

TEST(ClipBltRegion, ManyRectanglesMatchTheModel) {
  // A checkerboard of single pixels under two large overlapping bands: far more rectangles than
  // any inline buffer holds.
  Rects rects;
  for (int32_t i = 0; i < 30; ++i) {
    for (int32_t j = (i % 2); j < 40; j += 2) rects.push_back({j, i, j + 1, i + 1});
  }
  rects.push_back({5, 4, 30, 9});
  rects.push_back({0, 20, 40, 22});
  const RegionRecord region(rects);
  HostBitmap src(40, 30);
  FillRandom(src, 6);
  TwinBitmaps dst(44, 33, Fence::kEnd, 7);
  EXPECT_EQ(ClipBlt(dst.lib.desc(), 2, 1, 40, 30, src.desc(), 0, 0, region.get()), BLT_DONE);
  RefClipBlt(dst.ref, 2, 1, 40, 30, src, 0, 0,
             [&](int64_t j, int64_t i) { return RectsContain(rects, j, i); });
  EXPECT_EQ(dst.lib.Snapshot(), dst.ref.Snapshot());
}

TEST(ClipBltAnchoring, RegionStaysAtTheRequestedCornerWhenTheLeftEdgeIsCut) {
  // Asked at (-3, 0): region point (j, i) is destination (j - 3, i) and source (j, i). Fitting
  // moves the rectangle's corner to destination column 0, but the clip shape does not move.
  HostBitmap dst(10, 10, {0, 0, 0, 255});
  HostBitmap src(10, 10);
  Label(src);
  const RegionRecord region({{2, 1, 5, 3}});
  EXPECT_EQ(ClipBlt(dst.desc(), -3, 0, 6, 6, src.desc(), 0, 0, region.get()), BLT_DONE);
  for (int32_t y = 0; y < 10; ++y) {
    for (int32_t x = 0; x < 10; ++x) {
      const bool drawn = x < 2 && y >= 1 && y < 3;
      const Pixel want = drawn ? Pixel{uint8_t(x + 3), uint8_t(y), 7, 255} : Pixel{0, 0, 0, 255};
      EXPECT_EQ(dst.Get(x, y), want) << x << "," << y;
    }
  }
}

TEST(ClipBltAnchoring, EveryEdgeOfBothBitmapsMatchesTheModel) {
  // Rectangles cut at each edge of the destination and of the source, through a region with a
  // hole, so any shift of the clip shape changes pixels.
  const Rects rects = {{0, 0, 7, 2}, {0, 2, 2, 5}, {5, 2, 7, 5}, {0, 5, 7, 7}, {3, 3, 4, 4}};
  const RegionRecord region(rects);
  struct Case {
    int32_t x, y, sx, sy;
  } cases[] = {{-3, 2, 0, 0},    {2, -4, 1, 0}, {6, 1, 0, 2}, {1, 5, 2, 1},
               {2, 2, -3, 0},    {2, 2, 0, -2}, {1, 1, 6, 0}, {1, 1, 0, 5},
               {-2, -2, -2, -2}, {-9, 0, 0, 0}, {0, 0, 0, -7}};
  HostBitmap src(9, 8, {}, Fence::kStart);
  FillRandom(src, 8);
  for (const Case& c : cases) {
    TwinBitmaps dst(9, 8, Fence::kEnd, 9);
    const int32_t got =
        ClipBlt(dst.lib.desc(), c.x, c.y, 7, 7, src.desc(), c.sx, c.sy, region.get());
    const int32_t want =
        RefClipBlt(dst.ref, c.x, c.y, 7, 7, src, c.sx, c.sy,
                   [&](int64_t j, int64_t i) { return RectsContain(rects, j, i); });
    EXPECT_EQ(got, want) << c.x << "," << c.y << " from " << c.sx << "," << c.sy;
    EXPECT_EQ(dst.lib.Snapshot(), dst.ref.Snapshot())
        << c.x << "," << c.y << " from " << c.sx << "," << c.sy;
  }
}

TEST(ClipBltOverlap, SameBitmapEqualsClippingACopyOfTheSource) {
  const Rects rects = {{0, 0, 5, 9}, {3, 2, 9, 4}, {6, 6, 9, 9}};
  const RegionRecord region(rects);
  const int32_t shifts[][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}, {2, 1}, {-1, -2}, {0, 0}, {3, -3}};
  for (const auto& shift : shifts) {
    // One bitmap clipped onto itself, and its twin clipped from a copy taken before the call.
    TwinBitmaps bmp(12, 11, Fence::kEnd, 10);
    HostBitmap copy(12, 11);
    FillRandom(copy, 10);
    const int32_t x = 2 + shift[0], y = 1 + shift[1];
    EXPECT_EQ(ClipBlt(bmp.lib.desc(), x, y, 9, 9, bmp.lib.desc(), 2, 1, region.get()), BLT_DONE);
    EXPECT_EQ(ClipBlt(bmp.ref.desc(), x, y, 9, 9, copy.desc(), 2, 1, region.get()), BLT_DONE);
    EXPECT_EQ(bmp.lib.Snapshot(), bmp.ref.Snapshot()) << shift[0] << "," << shift[1];
  }
}

TEST(ClipBltLarge, SmallSpriteOutOfALargeSheet) {
  // 4096 x 4096 sheets with their buffers against a guard at either end; the sprites come from
  // the corners next to the guard, where a read past the rectangle would fault.
  for (Fence fence : {Fence::kEnd, Fence::kStart}) {
    HostBitmap sheet(4096, 4096, {9, 9, 9, 255}, fence);
    const int32_t sx = fence == Fence::kEnd ? 4080 : 0, sy = fence == Fence::kEnd ? 0 : 4080;
    for (int32_t i = 0; i < 16; ++i) {
      for (int32_t j = 0; j < 16; ++j) sheet.Set(sx + j, sy + i, {uint8_t(j), uint8_t(i), 1, 255});
    }
    const Rects diamond = {
        {7, 0, 9, 2}, {4, 2, 12, 6}, {0, 6, 16, 10}, {4, 10, 12, 14}, {7, 14, 9, 16}};
    const RegionRecord region(diamond);
    HostBitmap dst(20, 20, {0, 0, 0, 255});
    EXPECT_EQ(ClipBlt(dst.desc(), 2, 3, 16, 16, sheet.desc(), sx, sy, region.get()), BLT_DONE);
    for (int32_t y = 0; y < 20; ++y) {
      for (int32_t x = 0; x < 20; ++x) {
        const bool drawn = RectsContain(diamond, x - 2, y - 3);
        const Pixel want =
            drawn ? Pixel{uint8_t(x - 2), uint8_t(y - 3), 1, 255} : Pixel{0, 0, 0, 255};
        ASSERT_EQ(dst.Get(x, y), want) << x << "," << y;
      }
    }
  }
}

}  // namespace
}  // namespace morvane_test
