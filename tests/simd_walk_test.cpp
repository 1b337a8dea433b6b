// The vector walks as the exports reach them: random blits of every width against the same blit on
// the reference walk, overlapping spans in every direction (which must keep the reference walk's
// pixel-by-pixel order), and the caller's floating-point state.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "blit_call.h"
#include "composite/blit.h"
#include "host/host_bitmap.h"
#include "image_copy.h"
#include "op_helpers.h"
#include "random_scene.h"
#include "simd_helpers.h"

#if MORVANE_X86_SIMD
#include <xmmintrin.h>
#endif  // MORVANE_X86_SIMD

namespace morvane_test {
namespace {

using morvane::SimdLevel;

TEST(SimdDispatch, CapLowersTheLevelAndLifts) {
  const SimdLevel cpu = morvane::CpuSimdLevel();
  std::printf("vector walks on this processor: %s\n", morvane::SimdLevelName(cpu));
  EXPECT_EQ(morvane::ActiveSimdLevel(), cpu);
  {
    ScopedSimdCap cap(SimdLevel::kScalar);
    EXPECT_EQ(morvane::ActiveSimdLevel(), SimdLevel::kScalar);
    EXPECT_EQ(morvane::SimdWalksFor(morvane::ActiveSimdLevel()), nullptr);
  }
  EXPECT_EQ(morvane::ActiveSimdLevel(), cpu);
}

TEST(SimdDispatch, SpansOverlapOnlyWhenTheyShareAByte) {
  std::vector<uint8_t> buf(10 * 10 * 4);
  const morvane::PixelView v = BareView(buf.data(), 10, 10);
  // Rows 2..3 and rows 4..5 of the same bitmap touch without sharing a byte.
  EXPECT_FALSE(morvane::RectSpansOverlap(v, 0, 2, 10, 2, v, 0, 4));
  EXPECT_TRUE(morvane::RectSpansOverlap(v, 0, 2, 10, 3, v, 0, 4));
  // Columns apart on the same rows still interleave in memory.
  EXPECT_TRUE(morvane::RectSpansOverlap(v, 0, 0, 2, 5, v, 6, 0));
  EXPECT_FALSE(morvane::RectSpansOverlap(v, 0, 0, 2, 1, v, 2, 0));
  // A view that starts one pixel further into the same memory.
  const morvane::PixelView shifted = BareView(buf.data() + 4, 10, 9);
  EXPECT_TRUE(morvane::RectSpansOverlap(v, 1, 9, 1, 1, shifted, 0, 8));
  EXPECT_FALSE(morvane::RectSpansOverlap(v, 0, 9, 1, 1, shifted, 0, 8));
}

// Random blits through the exports at every level against the model: widths up to 72 so that
// every vector width meets whole vectors and every tail length, alphas in runs so that the walks
// meet their shortcuts beside their full arithmetic, opaque destinations; then rectangles 1 to 33
// pixels wide flush against the guard page at either end of both buffers, so that a tail that
// reads or writes one pixel too many faults, and 0 to 3 pixels short of the end one, where a
// narrow row loaded as a whole vector reads up to the page. Then whole bitmaps too large for the
// caches' nearer levels, which the walks read ahead of themselves, up to the guard page. Last,
// whole bitmaps 9 to 16 pixels wide (sprites' rows, two vectors of eight at most) on screens with
// a layer's rectangle on them, so that one row's two vectors meet both. Last, mixed scenes onto
// cleared layers with sprites on them, where vectors meet clear and opaque pixels, both, and either
// beside alphas in between.
TEST(SimdBlits, RandomScenesMatchTheModelAtEveryLevel) {
  const std::vector<SimdLevel> levels = AllLevels();
  const VectorScenePlan plan{400, 72, 6, 5, 8, 24, 300, 400};
  for (SimdLevel level : levels) {
    SCOPED_TRACE(morvane::SimdLevelName(level));
    for (uint32_t seed = 0; seed < plan.end(); ++seed) {
      RandomScene s(seed, plan);
      const SceneImages images(s, seed);
      int32_t got, got_image;
      {
        ScopedSimdCap cap(level);
        got = Blit(s.family, s.dst.lib.desc(), s.x, s.y, s.w, s.h, s.src().lib.desc(), s.sx, s.sy,
                   s.code);
        got_image = BlitImage(s.family, images.dst_record(), s.x, s.y, s.w, s.h,
                              images.src_record(seed), s.sx, s.sy, s.code);
      }
      const int32_t want =
          RefBlit(s.family, s.dst.ref, s.x, s.y, s.w, s.h, s.src().ref, s.sx, s.sy, s.code);
      ASSERT_EQ(ModelDifference(s, got, want), "") << "seed " << seed;
      // The same scene through image records gives the same result and the same bytes.
      ASSERT_EQ(got_image, got) << "seed " << seed;
      ASSERT_EQ(images.DifferenceFrom(s), "") << "seed " << seed;
    }
  }
}

// One bitmap as source and destination, the source shifted by every small offset and by offsets
// around the vector widths along a row: results must be those of the reference walk, which reads
// back pixels it has already merged.
TEST(SimdBlits, OverlapInEveryDirectionKeepsTheReferenceOrder) {
  const int32_t shifts[] = {-17, -16, -15, -9, -8, -7, -5, -4, -3, -2, -1, 0,
                            1,   2,   3,   4,  5,  7,  8,  9,  15, 16, 17};
  int order_sensitive = 0;
  for (int32_t dy = -2; dy <= 2; ++dy) {
    for (int32_t dx : shifts) {
      const uint32_t seed = uint32_t((dy + 2) * 100 + dx + 50);
      auto scene = [seed, dx, dy](SimdLevel level, bool from_copy) {
        HostBitmap bmp(64, 8), copy(64, 8);
        std::mt19937 a(seed), b(seed);
        bmp.FillRandomRuns(a);
        copy.FillRandomRuns(b);
        ScopedSimdCap cap(level);
        const BitmapDesc* src = from_copy ? copy.desc() : bmp.desc();
        EXPECT_EQ(BlendBlt(bmp.desc(), 20, 3, 40, 4, src, 20 + dx, 3 + dy, BLEND_ADD), BLT_DONE);
        return bmp.Snapshot();
      };
      const auto want = scene(SimdLevel::kScalar, false);
      for (SimdLevel level : VectorLevels()) {
        ASSERT_EQ(scene(level, false), want)
            << morvane::SimdLevelName(level) << " dx " << dx << " dy " << dy;
      }
      // Reading the whole source before writing, as a vector walk would, gives other pixels.
      order_sensitive += scene(SimdLevel::kScalar, true) != want;
    }
  }
  EXPECT_GT(order_sensitive, 10);
}

// Two views of one buffer that alias at an offset no bitmap pair could show through the exports
// (the same rows, a pixel or a few apart): the dispatcher must still see the overlap.
TEST(SimdBlits, AliasedViewsTakeTheReferenceWalk) {
  for (SimdLevel level : VectorLevels()) {
    for (int offset = 1; offset <= 17; ++offset) {
      std::vector<uint8_t> fast(40 * 4 * 4), slow;
      std::mt19937 rng(static_cast<uint32_t>(offset));
      for (auto& byte : fast) byte = uint8_t(rng());
      slow = fast;
      auto run = [&](std::vector<uint8_t>& buf, SimdLevel cap_level) {
        ScopedSimdCap cap(cap_level);
        morvane::PixelView dst = BareView(buf.data() + offset * 4, 32, 4);
        morvane::PixelView src = BareView(buf.data(), 32, 4);
        return morvane::Composite(morvane::OpFamily::kRop, dst, 0, 0, 32, 4, src, 0, 0, SRCINVERT);
      };
      ASSERT_EQ(run(fast, level), BLT_DONE);
      ASSERT_EQ(run(slow, SimdLevel::kScalar), BLT_DONE);
      ASSERT_EQ(fast, slow) << morvane::SimdLevelName(level) << " offset " << offset;
    }
  }
}

#if MORVANE_X86_SIMD
// The walks divide in single precision (0 / 0 where both alphas are 0). Whatever the caller has set
// (every exception unmasked, any rounding mode) they must neither trap nor change a byte, and must
// hand the control word back.
TEST(SimdBlits, CallersFloatingPointStateNeitherMattersNorChanges) {
  HostBitmap src(67, 3);
  std::mt19937 rng(3);
  src.FillRandomRuns(rng);
  // Beside a part-transparent pixel over one that is not opaque, both alphas 0.
  src.Set(1, 1, {9, 8, 7, 0});
  src.Set(2, 1, {9, 8, 7, 100});
  // Twice: a layer with alpha throughout, which one-rectangle walks give the full merge, and the
  // same with the ends of its outer rows opaque, where a walk begins, so that it picks each
  // vector's merge.
  for (bool opaque_start : {false, true}) {
    SCOPED_TRACE(opaque_start ? "opaque where the walk begins" : "alpha throughout");
    auto fill = [opaque_start](HostBitmap& d) {
      std::mt19937 seed(4);
      d.FillRandomRuns(seed);
      d.Set(1, 1, {1, 2, 3, 0});
      d.Set(2, 1, {1, 2, 3, 100});
      for (int32_t x = 51; opaque_start && x < 67; ++x) {
        for (int32_t y : {0, 2}) d.Set(x, y, {5, 6, 7, 255});
      }
    };
    HostBitmap want(67, 3);
    fill(want);
    {
      ScopedSimdCap cap(SimdLevel::kScalar);
      BlendBlt(want.desc(), 0, 0, 67, 3, src.desc(), 0, 0, BLEND_MULTIPLY);
    }
    const unsigned int saved = _mm_getcsr();
    for (SimdLevel level : VectorLevels()) {
      for (unsigned int rounding :
           {_MM_ROUND_NEAREST, _MM_ROUND_DOWN, _MM_ROUND_UP, _MM_ROUND_TOWARD_ZERO}) {
        HostBitmap dst(67, 3);
        fill(dst);
        const unsigned int callers = (saved & ~_MM_MASK_MASK & ~_MM_ROUND_MASK) | rounding;
        _mm_setcsr(callers);
        {
          ScopedSimdCap cap(level);
          BlendBlt(dst.desc(), 0, 0, 67, 3, src.desc(), 0, 0, BLEND_MULTIPLY);
        }
        const unsigned int after = _mm_getcsr();
        _mm_setcsr(saved);
        EXPECT_EQ(after, callers) << morvane::SimdLevelName(level);
        EXPECT_EQ(dst.Snapshot(), want.Snapshot()) << morvane::SimdLevelName(level);
      }
    }
  }
}
#endif  // MORVANE_X86_SIMD

}  // namespace
}  // namespace morvane_test
