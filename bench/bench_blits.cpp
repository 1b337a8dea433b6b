// Blit throughput in megapixels per second: every blend mode and raster operation on a square
// that fits in cache (256) and one that does not (2048), sources with alphas mixed 0 / 255 /
// in-between as sprites have them.
#include <benchmark/benchmark.h>

#include <random>

#include "host/host_bitmap.h"

namespace {

using morvane_test::HostBitmap;

struct Scene {
  HostBitmap dst, src;
  explicit Scene(int32_t size) : dst(size, size), src(size, size) {
    std::mt19937 rng(1);
    dst.FillRandom(rng);
    src.FillRandom(rng);
  }
};

Scene& SceneOf(int32_t size) {
  static Scene small(256), large(2048);
  return size == 256 ? small : large;
}

using BlitFn = int32_t (*)(const BitmapDesc*, int32_t, int32_t, int32_t, int32_t, const BitmapDesc*,
                           int32_t, int32_t, uint32_t);

void BM_Blit(benchmark::State& state, BlitFn blt, uint32_t code) {
  const auto size = static_cast<int32_t>(state.range(0));
  Scene& scene = SceneOf(size);
  for (auto _ : state) {
    benchmark::DoNotOptimize(blt(scene.dst.desc(), 0, 0, size, size, scene.src.desc(), 0, 0, code));
    benchmark::ClobberMemory();
  }
  state.counters["Mpix/s"] = benchmark::Counter(
      double(size) * size * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

#define MORVANE_BENCH(blt, code)                                             \
  BENCHMARK_CAPTURE(BM_Blit, blt##_##code, blt, static_cast<uint32_t>(code)) \
      ->Arg(256)                                                             \
      ->Arg(2048)                                                            \
      ->Unit(benchmark::kMicrosecond)

MORVANE_BENCH(BlendBlt, BLEND_NORMAL);
MORVANE_BENCH(BlendBlt, BLEND_ADD);
MORVANE_BENCH(BlendBlt, BLEND_SUBTRACT);
MORVANE_BENCH(BlendBlt, BLEND_MULTIPLY);
MORVANE_BENCH(BlendBlt, BLEND_BRIGHTEN);
MORVANE_BENCH(RopBlt, SRCCOPY);
MORVANE_BENCH(RopBlt, SRCPAINT);
MORVANE_BENCH(RopBlt, SRCAND);
MORVANE_BENCH(RopBlt, SRCINVERT);
MORVANE_BENCH(RopBlt, SRCERASE);
MORVANE_BENCH(RopBlt, NOTSRCCOPY);
MORVANE_BENCH(RopBlt, NOTSRCERASE);

}  // namespace

BENCHMARK_MAIN();
