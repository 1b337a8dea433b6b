#include "composite/simd_level.h"

#include <atomic>

namespace morvane {
namespace {

std::atomic<int> test_cap{static_cast<int>(kTopSimdLevel)};

}  // namespace

SimdLevel CpuSimdLevel() {
#if MORVANE_X86_SIMD
  // Reads what the runtime found with CPUID at start-up; the AVX2 and AVX-512 checks include the
  // operating system's consent to save the wide registers. Calling init again is harmless and
  // covers a call that arrives before the runtime's own constructors have run.
  __builtin_cpu_init();
#if MORVANE_X86_WIDE_SIMD
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")) {
    return SimdLevel::kAvx512;
  }
  if (__builtin_cpu_supports("avx2")) return SimdLevel::kAvx2;
#endif  // MORVANE_X86_WIDE_SIMD
  if (__builtin_cpu_supports("sse4.1")) return SimdLevel::kSse41;
  if (__builtin_cpu_supports("sse2")) return SimdLevel::kSse2;
#endif  // MORVANE_X86_SIMD
  return SimdLevel::kScalar;
}

SimdLevel ActiveSimdLevel() {
  const int cpu = static_cast<int>(CpuSimdLevel());
  const int cap = test_cap.load(std::memory_order_relaxed);
  return static_cast<SimdLevel>(cpu < cap ? cpu : cap);
}

void CapSimdLevelForTesting(SimdLevel cap) {
  test_cap.store(static_cast<int>(cap), std::memory_order_relaxed);
}

const char* SimdLevelName(SimdLevel level) {
  switch (level) {
    case SimdLevel::kAvx512:
      return "avx512";
    case SimdLevel::kAvx2:
      return "avx2";
    case SimdLevel::kSse41:
      return "sse4.1";
    case SimdLevel::kSse2:
      return "sse2";
    case SimdLevel::kScalar:
      break;
  }
  return "scalar";
}

}  // namespace morvane
