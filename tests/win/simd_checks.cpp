// The DLL's vector walks through its exports: random scenes wide enough for whole vectors and
// every tail length, alphas in runs, opaque destinations, against the plain model. Which walks run
// depends on the processor (here usually an emulated one); the program says what it offers.
#include <string>

#include "host/host_bitmap.h"
#include "random_scene.h"
#include "wintest.h"

namespace {

using morvane_test::Family;

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

// Random scenes as the native vector-level loop draws them, then rectangles 1 to 33 pixels wide
// flush against the guard page at either end of both buffers, then whole bitmaps too large for the
// caches' nearer levels, then whole bitmaps 9 to 16 pixels wide on screens with a layer on them,
// then mixed scenes onto cleared layers with sprites on them.
WIN_GROUP(SimdScenes) {
  std::printf("processor offers vector walks up to: %s\n", ProcessorVectors());
  const morvane_test::VectorScenePlan plan{240, 70, 4, 8, 4, 4, 60, 80};
  for (uint32_t seed = 0; seed < plan.end(); ++seed) {
    morvane_test::RandomScene s(seed, plan);
    const int32_t got = t.Call(s.family == Family::kBlend ? "BlendBlt" : "RopBlt",
                               {A(s.dst.lib.desc()), I(s.x), I(s.y), I(s.w), I(s.h),
                                A(s.src().lib.desc()), I(s.sx), I(s.sy), s.code});
    const int32_t want = morvane_test::RefBlit(s.family, s.dst.ref, s.x, s.y, s.w, s.h, s.src().ref,
                                               s.sx, s.sy, s.code);
    const std::string difference = morvane_test::ModelDifference(s, got, want);
    WIN_CHECK_MSG(t, difference.empty(), "seed " + std::to_string(seed) + ": " + difference);
  }
}
