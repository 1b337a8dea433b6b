// Helpers for the tests that hold the vector walks to the reference walk.
#ifndef MORVANE_TESTS_SIMD_HELPERS_H_
#define MORVANE_TESTS_SIMD_HELPERS_H_

#include <vector>

#include "composite/simd_level.h"
#include "composite/simd_walks.h"

namespace morvane_test {

// Every vector level this processor runs, lowest first (none on a build without vector walks).
inline std::vector<morvane::SimdLevel> VectorLevels() {
  std::vector<morvane::SimdLevel> levels;
  for (int l = 1; l <= static_cast<int>(morvane::CpuSimdLevel()); ++l) {
    levels.push_back(static_cast<morvane::SimdLevel>(l));
  }
  return levels;
}

// The reference walks, then every vector level.
inline std::vector<morvane::SimdLevel> AllLevels() {
  std::vector<morvane::SimdLevel> levels = VectorLevels();
  levels.insert(levels.begin(), morvane::SimdLevel::kScalar);
  return levels;
}

// Caps the dispatchers' level for one scope; the cap is lifted again on leaving it.
class ScopedSimdCap {
 public:
  explicit ScopedSimdCap(morvane::SimdLevel cap) { morvane::CapSimdLevelForTesting(cap); }
  ~ScopedSimdCap() { morvane::CapSimdLevelForTesting(morvane::kTopSimdLevel); }
  ScopedSimdCap(const ScopedSimdCap&) = delete;
  ScopedSimdCap& operator=(const ScopedSimdCap&) = delete;
};

}  // namespace morvane_test

#endif  // MORVANE_TESTS_SIMD_HELPERS_H_
