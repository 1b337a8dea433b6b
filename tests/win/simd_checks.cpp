// The DLL's vector walks through its exports: random scenes wide enough for whole vectors and
// every tail length, alphas in runs, against the plain model. Which walks run depends on the
// processor (here usually an emulated one); the program says what it offers.
#include <random>
#include <string>

#include "host/host_bitmap.h"
#include "reference.h"
#include "wintest.h"

namespace {

using morvane_test::Family;
using morvane_test::Fence;
using morvane_test::HostBitmap;
using morvane_test::kRops;

using morvane_wintest::A;
using morvane_wintest::I;

// What the DLL's dispatch will find, asked the same way it asks.
const char* ProcessorVectors() {
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")) return "avx512";
  if (__builtin_cpu_supports("avx2")) return "avx2";
  if (__builtin_cpu_supports("sse4.1")) return "sse4.1";
  if (__builtin_cpu_supports("sse2")) return "sse2";
#endif  // __GNUC__ && x86
  return "none";
}

}  // namespace

WIN_GROUP(SimdScenes) {
  std::printf("processor offers vector walks up to: %s\n", ProcessorVectors());
  for (uint32_t seed = 0; seed < 240; ++seed) {
    std::mt19937 rng(seed);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const Family family = seed % 2 ? Family::kRop : Family::kBlend;
    const uint32_t code = family == Family::kBlend ? uint32_t(uni(0, 4)) : kRops[uni(0, 6)];
    const int32_t dw = uni(1, 70), dh = uni(1, 4), sw = uni(1, 70), sh = uni(1, 4);
    const Fence fence = seed % 4 < 2 ? Fence::kEnd : Fence::kStart;
    HostBitmap dst(dw, dh, {}, fence), want(dw, dh, {}, fence), src(sw, sh, {}, fence);
    std::mt19937 a(seed + 1), b(seed + 1), c(seed + 2);
    dst.FillRandomRuns(a);
    want.FillRandomRuns(b);
    src.FillRandomRuns(c);
    // Every eighth scene draws the bitmap onto itself, a few pixels or rows off.
    const bool self = seed % 8 == 0;
    const int32_t x = uni(-3, dw - 1), y = uni(-1, dh - 1), w = uni(1, 70), h = uni(1, 4);
    const int32_t sx = self ? x + uni(-9, 9) : uni(-3, sw - 1);
    const int32_t sy = self ? y + uni(-1, 1) : uni(-1, sh - 1);
    const HostBitmap& from = self ? dst : src;
    const int32_t got =
        t.Call(family == Family::kBlend ? "BlendBlt" : "RopBlt",
               {A(dst.desc()), I(x), I(y), I(w), I(h), A(from.desc()), I(sx), I(sy), code});
    const int32_t ref =
        morvane_test::RefBlit(family, want, x, y, w, h, self ? want : src, sx, sy, code);
    WIN_CHECK_MSG(t, got == ref && dst.Snapshot() == want.Snapshot(),
                  "seed " + std::to_string(seed));
  }
}
