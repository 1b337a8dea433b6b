// The vector walks for processors with AVX-512: sixteen pixels per step. Built with per-function
// target attributes, so the rest of the library still runs on processors without it.
#include "composite/simd_walks.h"

#if MORVANE_X86_WIDE_SIMD

// GCC 12's AVX-512 headers start some results from an undefined vector, which
// -Wmaybe-uninitialized then reports wherever those intrinsics are inlined.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif  // !__clang__

#include "composite/lanes_avx512.h"

#define MORVANE_LANE_TARGET __attribute__((target("avx512f,avx512bw")))
#include "composite/lane_walk.h"

namespace morvane {

// Rows shorter than sixteen pixels take the AVX2 walks' vectors: a masked move of sixteen lanes
// costs more than the eight-lane moves they need.
const LevelWalks kAvx512Walks = LaneWalks<Avx512Lanes, Avx2Lanes>();

}  // namespace morvane

#endif  // MORVANE_X86_WIDE_SIMD
