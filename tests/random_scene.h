// One random blit for the loops that hold the library to the plain model: twin bitmaps (one for
// the library, one for the model), a source that may be the destination itself, and the call's
// arguments: sizes of 1 and not multiples of 4 or 8, positions hanging off every edge, every
// operator, both guard-page ends, overlaps in every direction. The blit, vector-level and ClipBlt
// loops, native and in the Windows test program, draw their scenes here and judge them with
// ModelDifference. (The same scenes through image records: image_copy.h.)
#ifndef MORVANE_TESTS_RANDOM_SCENE_H_
#define MORVANE_TESTS_RANDOM_SCENE_H_

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/host_bitmap.h"
#include "reference.h"

namespace morvane_test {

struct SceneLimits {
  int32_t max_w, max_h;  // the largest bitmap sides
  int self_every;        // every n-th scene draws a bitmap onto itself
  bool sprites = false;  // alphas in runs; destinations opaque, whole or around a layer
  int32_t min_w = 1;     // the smallest bitmap width
  int32_t min_h = 1;     // and height
  bool layer = false;    // the destination a cleared layer with sprites on it (see MakeLayer)
};

struct RandomScene;

// The phases of the vector-level loops, native and in the Windows test program (which draws fewer
// scenes): mixed scenes with alphas in runs; rectangles 1 to 33 pixels wide flush against the
// guard pages, `per_width` seeds a width (four give both fences, eight also the end gaps 0 to 3);
// whole bitmaps too large for the nearer caches; whole bitmaps 9 to 16 pixels wide, sprites' rows;
// mixed scenes onto cleared layers with sprites on them.
struct VectorScenePlan {
  uint32_t mixed;
  int32_t mixed_w, mixed_h;
  int self_every;
  uint32_t per_width, large, narrow, layers;

  uint32_t flush_end() const { return mixed + per_width * 33; }
  uint32_t large_end() const { return flush_end() + large; }
  uint32_t narrow_end() const { return large_end() + narrow; }
  uint32_t end() const { return narrow_end() + layers; }
  SceneLimits LimitsFor(uint32_t seed) const {
    if (seed >= narrow_end()) return {mixed_w, mixed_h, self_every, true, 8, 1, true};
    if (seed >= large_end()) return {16, 8, self_every, true, 9};
    if (seed >= flush_end()) return {300, 300, self_every, true, 260, 260};
    return {mixed_w, mixed_h, self_every, true, seed >= mixed ? 40 : 1};
  }
  inline void Shape(uint32_t seed, RandomScene& s) const;
};

struct RandomScene {
  // Scene `seed` of a vector-level loop's plan.
  RandomScene(uint32_t seed, const VectorScenePlan& plan)
      : RandomScene(seed, plan.LimitsFor(seed)) {
    plan.Shape(seed, *this);
  }

  RandomScene(uint32_t seed, const SceneLimits& limits)
      : rng(seed),
        family(seed % 2 ? Family::kRop : Family::kBlend),
        code(family == Family::kBlend ? uint32_t(Uni(0, 5)) : kRops[Uni(0, 6)]),
        fence(seed / 2 % 2 ? Fence::kStart : Fence::kEnd),
        dst(Uni(limits.min_w, limits.max_w), Uni(limits.min_h, limits.max_h), fence, seed * 7 + 1,
            limits.sprites),
        self(seed % limits.self_every == 0),
        other(self ? nullptr
                   : std::make_unique<TwinBitmaps>(
                         Uni(limits.min_w, limits.max_w), Uni(limits.min_h, limits.max_h),
                         fence == Fence::kEnd ? Fence::kStart : Fence::kEnd, seed * 7 + 2,
                         limits.sprites)) {
    const int32_t dw = dst.lib.width(), dh = dst.lib.height();
    x = Uni(-8, dw + 2), y = Uni(-8, dh + 2);
    w = Uni(-2, limits.max_w + 3), h = Uni(-2, limits.max_h + 3);
    sx = Uni(-8, limits.max_w + 2), sy = Uni(-8, limits.max_h + 2);
    if (self && seed % 3 == 0) sx = x + Uni(-2, 2), sy = y + Uni(-2, 2);  // near-overlap shifts
    if (limits.layer) {
      MakeLayer(dst);
    } else if (limits.sprites && seed % 3 != 2) {
      // A screen; or, every other time, a screen with a layer's rectangle on it, so that the rows
      // of one blit, and the vectors of one row, may meet both.
      int32_t left = 0, top = 0, right = 0, bottom = 0;
      if (seed % 3 == 1) {
        left = Uni(0, dw - 1), top = Uni(0, dh - 1);
        right = Uni(left + 1, dw), bottom = Uni(top + 1, dh);
      }
      dst.lib.MakeOpaque(left, top, right, bottom);
      dst.ref.MakeOpaque(left, top, right, bottom);
    }
    src_before = src().lib.Snapshot();
  }

  // A layer as a host draws on it: cleared to transparent, then covered by opaque sprites, whose
  // edges alone leave alphas in between. Here every alpha is 0 but in a few rectangles of 255,
  // each edge pixel of which takes a random alpha one time in three, so that vectors meet layers
  // that are clear or opaque throughout, and both, and either beside alphas in between.
  void MakeLayer(TwinBitmaps& twins) {
    const int32_t cols = twins.lib.width(), rows = twins.lib.height();
    std::vector<uint8_t> alphas(size_t(cols) * size_t(rows), 0);
    for (int k = Uni(1, 4); k > 0; --k) {
      const int32_t left = Uni(0, cols - 1), top = Uni(0, rows - 1);
      const int32_t right = Uni(left + 1, cols), bottom = Uni(top + 1, rows);
      for (int32_t row = top; row < bottom; ++row) {
        for (int32_t col = left; col < right; ++col) {
          const bool edge = col == left || col == right - 1 || row == top || row == bottom - 1;
          alphas[size_t(row) * size_t(cols) + size_t(col)] =
              uint8_t(edge && Uni(0, 2) == 0 ? Uni(1, 254) : 255);
        }
      }
    }
    for (HostBitmap* b : {&twins.lib, &twins.ref}) {
      for (int32_t row = 0; row < rows; ++row) {
        for (int32_t col = 0; col < cols; ++col) {
          Pixel p = b->Get(col, row);
          p.a = alphas[size_t(row) * size_t(cols) + size_t(col)];
          b->Set(col, row, p);
        }
      }
    }
  }

  // The rectangle flush against the guard page: at the end of the top row (Fence::kEnd, less
  // `end_gap` pixels, so that a walk that reads past the row may end exactly there) or the start of
  // the bottom row (Fence::kStart) of both bitmaps, `width` pixels wide.
  void FlushAgainstGuards(int32_t width, int32_t end_gap = 0) {
    const TwinBitmaps& s = src();
    w = width, h = 1 + int32_t(rng() % 3);
    x = fence == Fence::kEnd ? dst.lib.width() - w - end_gap : 0;
    y = fence == Fence::kEnd ? 0 : dst.lib.height() - h;
    sx = fence == Fence::kEnd ? s.lib.width() - w - end_gap : 0;
    sy = fence == Fence::kEnd ? 0 : s.lib.height() - h;
  }

  // Both bitmaps whole, from their first pixel: with sides of a few hundred pixels, a blit too
  // large for the nearer caches that ends at the guard page of one buffer or the other.
  void WholeBitmaps() {
    x = y = sx = sy = 0;
    w = std::max(dst.lib.width(), src().lib.width());
    h = std::max(dst.lib.height(), src().lib.height());
  }

  int Uni(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  const TwinBitmaps& src() const { return other ? *other : dst; }

  std::mt19937 rng;
  Family family;
  uint32_t code;
  Fence fence;
  TwinBitmaps dst;
  bool self;
  std::unique_ptr<TwinBitmaps> other;
  int32_t x, y, w, h, sx, sy;
  std::vector<Pixel> src_before;
};

void VectorScenePlan::Shape(uint32_t seed, RandomScene& s) const {
  if (seed >= narrow_end() || seed < mixed) return;
  if (seed >= flush_end()) return s.WholeBitmaps();
  // Both fences alternate every two seeds; with eight a width, the gaps 0 to 3 every four.
  const int32_t k = int32_t(seed - mixed);
  s.FlushAgainstGuards(1 + k / int32_t(per_width), per_width == 8 ? k / 4 % 2 * 2 + k % 2 : 0);
}

// What differs between the library's call and the model's (empty when nothing does): the result,
// the destination, or a separate source, which must stay untouched.
inline std::string ModelDifference(const RandomScene& s, int32_t got, int32_t want) {
  if (got != want) {
    return "result " + std::to_string(got) + ", model " + std::to_string(want);
  }
  if (s.dst.lib.Snapshot() != s.dst.ref.Snapshot()) return "destination differs from the model";
  if (!s.self && s.src().lib.Snapshot() != s.src_before) return "the source changed";
  return "";
}

}  // namespace morvane_test

#endif  // MORVANE_TESTS_RANDOM_SCENE_H_
