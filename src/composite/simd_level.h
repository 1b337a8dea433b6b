// Which vector instruction set the blits may use, probed from the processor once per process.
#ifndef MORVANE_COMPOSITE_SIMD_LEVEL_H_
#define MORVANE_COMPOSITE_SIMD_LEVEL_H_

#include <atomic>

// The vector walks use GCC/Clang intrinsics and target attributes on x86; every other compiler or
// processor builds the scalar walks only.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define MORVANE_X86_SIMD 1
#else
#define MORVANE_X86_SIMD 0
#endif  // __GNUC__ && x86

// The AVX2 and AVX-512 walks are built wherever the others are except on 64-bit Windows: there GCC
// cannot realign the stack and may spill 32- and 64-byte vectors with aligned stores to slots the
// ABI aligns to 16 bytes only.
#if MORVANE_X86_SIMD && !defined(_WIN64)
#define MORVANE_X86_WIDE_SIMD 1
#else
#define MORVANE_X86_WIDE_SIMD 0
#endif  // MORVANE_X86_SIMD && !_WIN64

namespace morvane {

// Ordered: each level includes the ones below it.
enum class SimdLevel { kScalar = 0, kSse2 = 1, kSse41 = 2, kAvx2 = 3, kAvx512 = 4 };
constexpr SimdLevel kTopSimdLevel = SimdLevel::kAvx512;

// The best level this processor (and, for the wide registers, the operating system) supports and
// this build has. The first call asks the processor; later calls read the answer.
SimdLevel CpuSimdLevel();

namespace simd_level_detail {
// The level the dispatchers use, -1 until the first call has probed the processor.
extern std::atomic<int> active_level;
// Probes the processor, stores the level the dispatchers use and returns it.
SimdLevel FindActiveLevel();
}  // namespace simd_level_detail

// The level the dispatchers use: the processor's, lowered by any test cap. Inline and one load
// once the first call has probed: every blit asks.
inline SimdLevel ActiveSimdLevel() {
  const int level = simd_level_detail::active_level.load(std::memory_order_relaxed);
  return level >= 0 ? static_cast<SimdLevel>(level) : simd_level_detail::FindActiveLevel();
}

// Test-only: caps the level the dispatchers use (kScalar forces the reference walks); kTopSimdLevel
// lifts the cap. Not exported, and nothing in the library calls it.
void CapSimdLevelForTesting(SimdLevel cap);

const char* SimdLevelName(SimdLevel level);

}  // namespace morvane

#endif  // MORVANE_COMPOSITE_SIMD_LEVEL_H_
