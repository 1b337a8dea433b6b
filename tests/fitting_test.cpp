// Fitting a requested rectangle to both bitmaps, and finding pixels through the host's records.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "bitmap/fit.h"
#include "bitmap/host_records.h"
#include "bitmap/pixel_view.h"
#include "host/host_bitmap.h"

namespace morvane_test {
namespace {

using morvane::FitBlitRect;

struct FitCase {
  const char* what;
  int32_t dw, dh, sw, sh;            // destination and source sizes
  int32_t x, y, w, h, sx, sy;        // as requested
  int32_t fx, fy, fw, fh, fsx, fsy;  // as fitted; fw or fh 0 means empty
};

const FitCase kFitCases[] = {
    {"inside both: unchanged", 100, 100, 50, 50, 10, 20, 30, 25, 5, 6, 10, 20, 30, 25, 5, 6},
    {"source narrower than w, cut at the right", 100, 100, 40, 40, 90, 0, 50, 50, 0, 0, 90, 0, 10,
     40, 0, 0},
    {"negative x skips and shrinks", 100, 100, 50, 50, -10, 5, 20, 20, 0, 0, 0, 5, 10, 20, 10, 0},
    {"negative sx moves x and shrinks", 100, 100, 50, 50, 30, 0, 20, 10, -5, 0, 35, 0, 15, 10, 0,
     0},
    {"negative y and sy, larger wins", 100, 100, 50, 50, 0, -3, 10, 10, 0, -7, 0, 4, 10, 3, 0, 0},
    {"source far edge cuts", 100, 100, 50, 50, 0, 0, 40, 40, 30, 45, 0, 0, 20, 5, 30, 45},
    {"x at the destination width", 100, 100, 50, 50, 100, 0, 10, 10, 0, 0, 0, 0, 0, 0, 0, 0},
    {"sx at the source width", 100, 100, 50, 50, 0, 0, 10, 10, 50, 0, 0, 0, 0, 0, 0, 0},
    {"zero width destination", 0, 100, 50, 50, 0, 0, 10, 10, 0, 0, 0, 0, 0, 0, 0, 0},
    {"negative height source", 100, 100, 50, -5, 0, 0, 10, 10, 0, 0, 0, 0, 0, 0, 0, 0},
    {"negative w", 100, 100, 50, 50, 0, 0, -1, 10, 0, 0, 0, 0, 0, 0, 0, 0},
    {"x far left with a huge w", 100, 100, 50, 50, INT_MIN, 0, INT_MAX, 1, INT_MIN + 3, 0, 0, 0, 0,
     0, 0, 0},
    {"x and sx far left, pairs near the end", 100, 100, 50, 50, -2000000000, 0, INT_MAX, 1,
     -1999999995, 0, 0, 0, 45, 1, 5, 0},
    {"x plus w overflows 32 bits", 100, 100, 50, 50, INT_MAX, 0, INT_MAX, 1, 0, 0, 0, 0, 0, 0, 0,
     0},
    {"sx plus w overflows 32 bits", 100, 100, 50, 50, 0, 0, INT_MAX, 1, INT_MAX, 0, 0, 0, 0, 0, 0,
     0},
    {"x minus sx overflows 32 bits", 100, 100, 50, 50, INT_MIN, 0, INT_MAX, 5, INT_MAX, 0, 0, 0, 0,
     0, 0, 0},
};

TEST(Fitting, KeepsExactlyThePairsInsideBothBitmaps) {
  for (const FitCase& c : kFitCases) {
    SCOPED_TRACE(c.what);
    const BitmapDesc dest{1, c.dw, c.dh}, src{2, c.sw, c.sh};
    int32_t x = c.x, y = c.y, w = c.w, h = c.h, sx = c.sx, sy = c.sy;
    FitBlitRect(dest, x, y, w, h, src, sx, sy);
    if (c.fw == 0 || c.fh == 0) {
      EXPECT_TRUE(morvane::IsEmptyFit(w, h));
      continue;
    }
    EXPECT_EQ(x, c.fx);
    EXPECT_EQ(y, c.fy);
    EXPECT_EQ(w, c.fw);
    EXPECT_EQ(h, c.fh);
    EXPECT_EQ(sx, c.fsx);
    EXPECT_EQ(sy, c.fsy);
  }
}

TEST(Fitting, RandomRequestsAgreeWithPairCounting) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int32_t> size(-2, 12), pos(-20, 20), len(-3, 30);
  for (int n = 0; n < 20000; ++n) {
    const BitmapDesc dest{1, size(rng), size(rng)}, src{2, size(rng), size(rng)};
    const int32_t x0 = pos(rng), y0 = pos(rng), w0 = len(rng), h0 = len(rng);
    const int32_t sx0 = pos(rng), sy0 = pos(rng);
    int32_t x = x0, y = y0, w = w0, h = h0, sx = sx0, sy = sy0;
    FitBlitRect(dest, x, y, w, h, src, sx, sy);
    // Count the pairs by brute force: the fit must be their bounding box, and hold them all.
    int kept = 0, min_j = INT_MAX, min_i = INT_MAX;
    for (int i = 0; i < h0; ++i) {
      for (int j = 0; j < w0; ++j) {
        if (x0 + j >= 0 && x0 + j < dest.width && y0 + i >= 0 && y0 + i < dest.height &&
            sx0 + j >= 0 && sx0 + j < src.width && sy0 + i >= 0 && sy0 + i < src.height) {
          ++kept;
          min_j = std::min(min_j, j);
          min_i = std::min(min_i, i);
        }
      }
    }
    if (kept == 0) {
      ASSERT_TRUE(morvane::IsEmptyFit(w, h)) << n;
      continue;
    }
    ASSERT_FALSE(morvane::IsEmptyFit(w, h)) << n;
    ASSERT_EQ(kept, w * h) << n;
    ASSERT_EQ(x, x0 + min_j) << n;
    ASSERT_EQ(sx, sx0 + min_j) << n;
    ASSERT_EQ(y, y0 + min_i) << n;
    ASSERT_EQ(sy, sy0 + min_i) << n;
  }
}

TEST(PixelAddress, RowsAreStoredBottomUp) {
  HostBitmap bmp(5, 3);
  const morvane::PixelView view = morvane::MakePixelView(bmp.desc());
  EXPECT_EQ(view.pixels, bmp.buffer() + 2 * 5 * 4);  // row 0, stored last
  EXPECT_EQ(view.stride, -5 * 4);
  EXPECT_EQ(view.width, 5);
  EXPECT_EQ(view.height, 3);
  EXPECT_EQ(morvane::PixelAt(view, 0, 0), bmp.buffer() + 2 * 5 * 4);
  EXPECT_EQ(morvane::PixelAt(view, 4, 2), bmp.buffer() + 4 * 4);
  EXPECT_EQ(morvane::PixelAt(view, 1, 1), bmp.buffer() + (1 + 5) * 4);
}

TEST(HostRecords, IdZeroResolvesToNullWithoutReading) {
  EXPECT_EQ(morvane::ResolvePixels(0), nullptr);
  const BitmapDesc none{0, 10, 10};
  EXPECT_EQ(morvane::MakePixelView(&none).pixels, nullptr);
}

TEST(HostRecords, FollowsTheChainToThePixelBuffer) {
  HostBitmap a(3, 3), b(1, 1);
  EXPECT_EQ(morvane::ResolvePixels(a.id()), a.buffer());
  EXPECT_EQ(morvane::ResolvePixels(b.id()), b.buffer());
}

TEST(HostRecords, ReadsUnalignedLittleEndianWords) {
  GuardedBlock block(16);
  const uint8_t bytes[] = {0, 0x78, 0x56, 0x34, 0x12, 0};
  std::memcpy(block.begin(), bytes, sizeof bytes);
  const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block.begin()) + 1);
  EXPECT_EQ(morvane::ReadHostWord(address), 0x12345678u);
}

}  // namespace
}  // namespace morvane_test
