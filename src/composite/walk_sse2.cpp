// The vector walks for every x86 processor with SSE2 (all of x86-64): four pixels per step.
#include "composite/simd_walks.h"

#if MORVANE_X86_SIMD

#include "composite/lanes_sse2.h"

#define MORVANE_LANE_TARGET __attribute__((target("sse2")))
#include "composite/lane_walk.h"

namespace morvane {

const LevelWalks kSse2Walks = LaneWalks<Sse2Lanes>();

}  // namespace morvane

#endif  // MORVANE_X86_SIMD
