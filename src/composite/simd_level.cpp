#include "composite/simd_level.h"

#include <atomic>

#if MORVANE_X86_SIMD
#include <cpuid.h>
#endif  // MORVANE_X86_SIMD

namespace morvane {
namespace {

// -1 until the first call has probed the processor. Threads that make their first calls at once
// may each probe; they find the same answer and store it atomically, so no lock is needed.
std::atomic<int> cpu_level{-1};
std::atomic<int> test_cap{static_cast<int>(kTopSimdLevel)};

#if MORVANE_X86_WIDE_SIMD
// Which register states the operating system saves across context switches (XCR0).
uint64_t OsSavedStates() {
  uint32_t lo, hi;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
  return uint64_t{hi} << 32 | lo;
}
#endif  // MORVANE_X86_WIDE_SIMD

SimdLevel ProbeCpu() {
#if MORVANE_X86_SIMD
  unsigned eax, ebx, ecx, edx;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return SimdLevel::kScalar;
  const bool sse2 = edx & (1u << 26), sse41 = ecx & (1u << 19);
#if MORVANE_X86_WIDE_SIMD
  const bool osxsave = ecx & (1u << 27), avx = ecx & (1u << 28);
  if (osxsave && avx && __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) {
    const uint64_t states = OsSavedStates();
    const bool ymm_saved = (states & 0x6) == 0x6;                 // SSE and AVX state
    const bool zmm_saved = ymm_saved && (states & 0xE0) == 0xE0;  // opmask, upper ZMM, ZMM16-31
    if (zmm_saved && (ebx & (1u << 16)) && (ebx & (1u << 30))) return SimdLevel::kAvx512;
    if (ymm_saved && (ebx & (1u << 5))) return SimdLevel::kAvx2;
  }
#endif  // MORVANE_X86_WIDE_SIMD
  if (sse41 && sse2) return SimdLevel::kSse41;
  if (sse2) return SimdLevel::kSse2;
#endif  // MORVANE_X86_SIMD
  return SimdLevel::kScalar;
}

}  // namespace

SimdLevel CpuSimdLevel() {
  int level = cpu_level.load(std::memory_order_relaxed);
  if (level < 0) {
    level = static_cast<int>(ProbeCpu());
    cpu_level.store(level, std::memory_order_relaxed);
  }
  return static_cast<SimdLevel>(level);
}

namespace simd_level_detail {

std::atomic<int> active_level{-1};

SimdLevel FindActiveLevel() {
  const int cpu = static_cast<int>(CpuSimdLevel());
  const int cap = test_cap.load(std::memory_order_relaxed);
  const int level = cpu < cap ? cpu : cap;
  active_level.store(level, std::memory_order_relaxed);
  return static_cast<SimdLevel>(level);
}

}  // namespace simd_level_detail

void CapSimdLevelForTesting(SimdLevel cap) {
  test_cap.store(static_cast<int>(cap), std::memory_order_relaxed);
  simd_level_detail::FindActiveLevel();
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
