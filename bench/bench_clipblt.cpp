// ClipBlt against RopBlt SRCCOPY on the same rectangle: a 32 x 32 sprite (and a 256 x 256 one)
// out of a 4096 x 4096 sheet, through an ellipse inscribed in the rectangle, through no region,
// onto the sheet itself (the source rectangle is copied first), and through an ellipse as large
// as the sheet (4096 rectangles to cut). None of these may cost in proportion to the sheet.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "host/host_bitmap.h"

namespace {

using morvane_test::HostBitmap;

constexpr int32_t kSheet = 4096;

struct Sheet {
  HostBitmap sheet, screen;
  Sheet() : sheet(kSheet, kSheet), screen(512, 512) {
    std::mt19937 rng(1);
    sheet.FillRandom(rng);
    screen.FillRandom(rng);
  }
};

Sheet& TheSheet() {
  static Sheet sheet;
  return sheet;
}

// A region record holding an ellipse of w x h, one rectangle per row, anchored at (left, top).
std::vector<uint32_t> EllipseRecord(int32_t left, int32_t top, int32_t w, int32_t h) {
  std::vector<uint32_t> words(8 + 4 * size_t(h));
  words[0] = 32, words[1] = 1, words[2] = uint32_t(h), words[3] = uint32_t(h) * 16;
  for (int32_t i = 0; i < h; ++i) {
    const double dy = (i + 0.5 - h / 2.0) / (h / 2.0);
    const double half = w / 2.0 * std::sqrt(std::max(0.0, 1 - dy * dy));
    const int32_t rect[4] = {left + int32_t(std::lround(w / 2.0 - half)), top + i,
                             left + int32_t(std::lround(w / 2.0 + half)), top + i + 1};
    std::memcpy(&words[8 + 4 * size_t(i)], rect, sizeof rect);
  }
  return words;
}

MorvaneRegion AsRegion(const std::vector<uint32_t>& record) {
  return reinterpret_cast<MorvaneRegion>(record.data());
}

void Rate(benchmark::State& state, int32_t size) {
  state.counters["Mpix/s"] = benchmark::Counter(
      double(size) * size * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

// Times one call per iteration of a sprite-sized blit of `size` pixels from the sheet, the call
// given the sheet and the size.
template <class Call>
void TimeSprite(benchmark::State& state, Call call) {
  const auto size = static_cast<int32_t>(state.range(0));
  Sheet& s = TheSheet();
  for (auto _ : state) {
    benchmark::DoNotOptimize(call(s, size));
    benchmark::ClobberMemory();
  }
  Rate(state, size);
}

void BM_Sprite_RopBlt(benchmark::State& state) {
  TimeSprite(state, [](Sheet& s, int32_t size) {
    return RopBlt(s.screen.desc(), 100, 100, size, size, s.sheet.desc(), 2000, 2000, SRCCOPY);
  });
}

// ClipBlt of a sprite from the sheet through `region` (null: no region) onto the screen, or onto
// the sheet itself, a pixel or a few from the source.
void TimeClipBlt(benchmark::State& state, const std::vector<uint32_t>* region, bool onto_sheet) {
  const MorvaneRegion clip = region != nullptr ? AsRegion(*region) : nullptr;
  TimeSprite(state, [clip, onto_sheet](Sheet& s, int32_t n) {
    return onto_sheet ? ClipBlt(s.sheet.desc(), 2001, 2003, n, n, s.sheet.desc(), 2000, 2000, clip)
                      : ClipBlt(s.screen.desc(), 100, 100, n, n, s.sheet.desc(), 2000, 2000, clip);
  });
}

void BM_Sprite_ClipBlt_Ellipse(benchmark::State& state) {
  const auto size = static_cast<int32_t>(state.range(0));
  const std::vector<uint32_t> ellipse = EllipseRecord(0, 0, size, size);
  TimeClipBlt(state, &ellipse, false);
}

void BM_Sprite_ClipBlt_NoRegion(benchmark::State& state) { TimeClipBlt(state, nullptr, false); }

void BM_Sprite_ClipBlt_OntoItself(benchmark::State& state) {
  const auto size = static_cast<int32_t>(state.range(0));
  const std::vector<uint32_t> ellipse = EllipseRecord(0, 0, size, size);
  TimeClipBlt(state, &ellipse, true);
}

void BM_Sprite_ClipBlt_SheetSizedEllipse(benchmark::State& state) {
  // Anchored so that the sprite sits in the middle of the ellipse.
  const std::vector<uint32_t> ellipse = EllipseRecord(-2000, -2000, kSheet, kSheet);
  TimeClipBlt(state, &ellipse, false);
}

BENCHMARK(BM_Sprite_RopBlt)->Arg(32)->Arg(256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sprite_ClipBlt_Ellipse)->Arg(32)->Arg(256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sprite_ClipBlt_NoRegion)->Arg(32)->Arg(256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sprite_ClipBlt_OntoItself)->Arg(32)->Arg(256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sprite_ClipBlt_SheetSizedEllipse)->Arg(32)->Unit(benchmark::kMicrosecond);

}  // namespace
