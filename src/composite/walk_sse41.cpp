// The vector walks for processors with SSE4.1 but not AVX2: four pixels per step.
#include "composite/simd_walks.h"

#if MORVANE_X86_SIMD

#include "composite/lanes_sse41.h"

#define MORVANE_LANE_TARGET __attribute__((target("sse4.1")))
#include "composite/lane_walk.h"

namespace morvane {

const LevelWalks kSse41Walks = LaneWalks<Sse41Lanes>();

}  // namespace morvane

#endif  // MORVANE_X86_SIMD
