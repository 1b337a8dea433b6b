// ClipBlt on random scenes against the plain model: random regions (overlapping, empty, outside,
// negative and misaligned records), every edge cut, both guard-page ends, and one bitmap clipped
// onto itself.
#include <gtest/gtest.h>

#include <random>

#include "host/host_bitmap.h"
#include "reference.h"
#include "region_record.h"

namespace morvane_test {
namespace {

TEST(ClipBltRandom, ScenesMatchTheModel) {
  for (uint32_t seed = 0; seed < 3000; ++seed) {
    std::mt19937 rng(seed);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int32_t dw = uni(1, 21), dh = uni(1, 17);
    const Fence fence = uni(0, 1) ? Fence::kStart : Fence::kEnd;
    TwinBitmaps dst(dw, dh, fence, seed * 5 + 1);
    TwinBitmaps other(uni(1, 21), uni(1, 17), fence == Fence::kEnd ? Fence::kStart : Fence::kEnd,
                      seed * 5 + 2);
    const bool self = seed % 4 == 0;
    const TwinBitmaps& src = self ? dst : other;
    const int32_t x = uni(-7, dw + 1), y = uni(-7, dh + 1), w = uni(-1, 24), h = uni(-1, 20);
    int32_t sx = uni(-7, 22), sy = uni(-7, 18);
    if (self && seed % 3 == 0) sx = x + uni(-2, 2), sy = y + uni(-2, 2);

    Rects rects(size_t(uni(0, 7)));
    for (MorvaneRgnRect& r : rects) {
      r.left = uni(-6, 22), r.top = uni(-6, 20);
      r.right = r.left + uni(-2, 14), r.bottom = r.top + uni(-2, 12);
    }
    const bool clip = seed % 8 != 0;
    const size_t tail = size_t(uni(0, 3));
    const RegionRecord record(rects, {32, 1, -1, uni(0, 1) ? 0 : int64_t(rects.size() * 16 + tail)},
                              tail);

    const auto src_before = src.lib.Snapshot();
    const int32_t got =
        ClipBlt(dst.lib.desc(), x, y, w, h, src.lib.desc(), sx, sy, clip ? record.get() : nullptr);
    const int32_t want =
        RefClipBlt(dst.ref, x, y, w, h, src.ref, sx, sy,
                   [&](int64_t j, int64_t i) { return !clip || RectsContain(rects, j, i); });
    ASSERT_EQ(got, want) << "seed " << seed;
    ASSERT_EQ(dst.lib.Snapshot(), dst.ref.Snapshot()) << "seed " << seed;
    if (!self) {
      ASSERT_EQ(src.lib.Snapshot(), src_before) << "seed " << seed;
    }
  }
}

}  // namespace
}  // namespace morvane_test
