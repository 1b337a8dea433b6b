// ClipBlt on random scenes against the plain model: random regions (overlapping, empty, outside,
// negative and misaligned records; many small rectangles; rectangles in band order, one or many
// to a band), every edge cut, both guard-page ends, and one bitmap clipped onto itself.
#include <gtest/gtest.h>

#include <random>

#include "image_copy.h"
#include "random_scene.h"
#include "region_record.h"
#include "simd_helpers.h"

namespace morvane_test {
namespace {

using morvane::SimdLevel;

TEST(ClipBltRandom, ScenesMatchTheModelAtEveryLevel) {
  const std::vector<SimdLevel> levels = AllLevels();
  for (uint32_t seed = 0; seed < 3000; ++seed) {
    // Every level draws the same scenes, the processor's own most often.
    const SimdLevel level = seed % 2 ? levels.back() : levels[seed / 2 % levels.size()];
    ScopedSimdCap cap(level);
    const bool glyphs = seed % 5 == 1;
    RandomScene s(seed, glyphs ? SceneLimits{44, 20, 4} : SceneLimits{21, 17, 4});
    Rects rects;
    if (glyphs) {  // many small rectangles, scattered like glyphs, some overlapping
      rects.resize(size_t(s.Uni(20, 120)));
      for (MorvaneRgnRect& r : rects) {
        r.left = s.Uni(-3, 44), r.top = s.Uni(-3, 21);
        r.right = r.left + s.Uni(1, 12), r.bottom = r.top + s.Uni(1, 4);
      }
    } else if (seed % 5 == 2) {  // in band order, as platform regions come
      for (int32_t top = s.Uni(-4, 3), bottom; top < 20; top = bottom + s.Uni(0, 2)) {
        bottom = top + s.Uni(1, 3);
        for (int32_t left = s.Uni(-4, 6); left < 22; left += s.Uni(1, 5)) {
          const int32_t right = left + s.Uni(1, 7);
          rects.push_back({left, top, right, bottom});
          left = right;
        }
      }
    } else if (seed % 5 == 3) {  // one rectangle per band, as an ellipse's region comes
      for (int32_t top = s.Uni(-4, 2), bottom; top < 20; top = bottom) {
        bottom = top + s.Uni(1, 3);
        const int32_t left = s.Uni(-4, 10);
        rects.push_back({left, top, left + s.Uni(1, 16), bottom});
      }
    } else {
      rects.resize(size_t(s.Uni(0, 7)));
      for (MorvaneRgnRect& r : rects) {
        r.left = s.Uni(-6, 22), r.top = s.Uni(-6, 20);
        r.right = r.left + s.Uni(-2, 14), r.bottom = r.top + s.Uni(-2, 12);
      }
    }
    const bool clip = seed % 8 != 0;
    const size_t tail = size_t(s.Uni(0, 3));
    const RegionRecord record(
        rects, {32, 1, -1, s.Uni(0, 1) ? 0 : int64_t(rects.size() * 16 + tail)}, tail);

    const SceneImages images(s, seed);
    const int32_t got = ClipBlt(s.dst.lib.desc(), s.x, s.y, s.w, s.h, s.src().lib.desc(), s.sx,
                                s.sy, clip ? record.get() : nullptr);
    // The same rectangles as a list (never a null one where there is a region, even an empty one).
    std::vector<MorvaneRect> list(rects.size() + 1);
    for (size_t i = 0; i < rects.size(); ++i) {
      list[i] = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
    }
    const int32_t got_image =
        morvane_clip(images.dst_record(), s.x, s.y, s.w, s.h, images.src_record(seed), s.sx, s.sy,
                     clip ? list.data() : nullptr, clip ? int32_t(rects.size()) : 0);
    const int32_t want =
        RefClipBlt(s.dst.ref, s.x, s.y, s.w, s.h, s.src().ref, s.sx, s.sy,
                   [&](int64_t j, int64_t i) { return !clip || RectsContain(rects, j, i); });
    ASSERT_EQ(ModelDifference(s, got, want), "")
        << "seed " << seed << " at " << morvane::SimdLevelName(level);
    ASSERT_EQ(got_image, got) << "seed " << seed;
    ASSERT_EQ(images.DifferenceFrom(s), "") << "seed " << seed;
  }
}

}  // namespace
}  // namespace morvane_test
