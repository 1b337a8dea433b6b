// BMP export: packing alone (megapixels per second) and whole saves to a scratch folder, where the
// flush to disk before the file is put in place usually dominates.
#include <benchmark/benchmark.h>

#include <random>

#include "bitmap/pixel_view.h"
#include "export/bitmap_file.h"
#include "host/host_bitmap.h"
#include "host/scratch.h"

namespace {

using morvane_test::HostBitmap;

HostBitmap& Picture(int32_t width, int32_t height) {
  static HostBitmap small(640, 480), large(1920, 1080);
  static const bool filled = [] {
    std::mt19937 rng(1);
    small.FillRandom(rng);
    large.FillRandom(rng);
    return true;
  }();
  static_cast<void>(filled);
  return width == 640 && height == 480 ? small : large;
}

void SetPixelRate(benchmark::State& state, int32_t w, int32_t h) {
  state.counters["Mpix/s"] = benchmark::Counter(double(w) * h * double(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
}

void BM_PackBitmapFile(benchmark::State& state) {
  const auto w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  const HostBitmap& picture = Picture(w, h);
  uint32_t size = 0;
  morvane::BitmapFileSize(w, h, &size);
  std::vector<uint8_t> buffer(size);
  const morvane::PixelView view = morvane::MakePixelView(picture.desc());
  for (auto _ : state) {
    morvane::PackBitmapFile(buffer.data(), view, size);
    benchmark::ClobberMemory();
  }
  SetPixelRate(state, w, h);
}
BENCHMARK(BM_PackBitmapFile)->Args({640, 480})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);

void BM_SaveToBitmapA(benchmark::State& state) {
  const auto w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  const HostBitmap& picture = Picture(w, h);
  morvane_test::ScratchDir dir;
  const std::string path = dir / "shot.bmp";
  for (auto _ : state) benchmark::DoNotOptimize(SaveToBitmapA(path.c_str(), picture.desc()));
  SetPixelRate(state, w, h);
}
BENCHMARK(BM_SaveToBitmapA)->Args({640, 480})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

}  // namespace
