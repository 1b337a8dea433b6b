// The vector walks for processors with AVX2: eight pixels per step. Built with per-function target
// attributes, so the rest of the library (and the 32-bit DLL) still runs on processors without it.
#include "composite/simd_walks.h"

#if MORVANE_X86_WIDE_SIMD

#include "composite/lanes_avx2.h"

#define MORVANE_LANE_TARGET __attribute__((target("avx2")))
#include "composite/lane_walk.h"

namespace morvane {

const LevelWalks kAvx2Walks = LaneWalks<Avx2Lanes>();

}  // namespace morvane

#endif  // MORVANE_X86_WIDE_SIMD
