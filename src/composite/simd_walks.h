// The vector rectangle walks: one table per instruction set, generated like kBlendOps and kRopOps
// from the operator lists (row i of each holds the walk for the operator of row i there). Each
// walk gives exactly the bytes of CompositeRectT for the same operator, provided the two byte
// ranges the rectangle touches do not overlap; the dispatcher checks that and takes the reference
// walk otherwise.
//
// Most pixels need little of the merge. A clear source pixel changes nothing. An opaque one gives
// a = 255 and the colour X. Over an opaque destination (a screen) a = 255 whatever the source
// alpha, so the colour step is trunc((X - d) * sa / 255): its size floor(|X - d| * sa / 255), one
// 16-bit product (at most 65025) divided by 255 as below. Only a partly transparent source pixel
// over a destination that is not opaque needs the weight described next. The walks take each
// vector by the cheapest of these that holds for all of its pixels.
//
// How the vector walks reproduce the full merge without dividing per channel:
//
// New alpha. a = da * (255 - sa) / 255 + sa. The product is at most 65025 and fits 16 bits, and
// x / 255 == (x * 0x8081) >> 23 for every x in 0..65025 (checked exhaustively in the tests), which
// a 16-bit "multiply high" and a shift compute. Both alpha bytes are multiplied where they lie, in
// the high 16-bit half of the pixel's lane: (255 - sa) * 256 times da * 256, multiplied high, is
// the product itself, and the low half stays 0, so a 32-bit shift by 16 + 7 leaves the quotient.
//
// Colour step. c' = d + trunc((X - d) * sa / a). Truncation toward zero makes the step's size
// floor(|X - d| * sa / a), taken toward X. Each pixel gets one weight
//
//   W = trunc(float(sa * 65536 + a) / float(a)),  the exact quotient being v + 1, v = sa * 65536 /
//   a
//
// and the step's size is (|X - d| * W) >> 16, one 16-bit "multiply high" per channel. Why that is
// exact, for n = |X - d| <= 255 and 0 <= sa < a <= 255:
//   - Both operands are integers below 2^24, so they convert exactly. If v is an integer the
//     quotient is exact. Otherwise v + 1 is at least 1/a >= 1/255 from every integer, more than
//     the float's ulp there (2^-8 at most below 65536), so no rounding mode carries the quotient
//     across an integer, and W = floor(v) + 1. Either way W - v lies in (0, 1].
//   - n * W / 65536 = n * sa / a + e with 0 <= e <= n / 65536 <= 255 / 65536 < 1 / 255. The exact
//     quotient n * sa / a is an integer or at least 1/a >= 1/255 below the next one, so adding e
//     never reaches the next integer, and the floor is unchanged.
//   - sa < a keeps v <= 254 * 65536 / 255, so W <= 65280 fits 16 bits.
// The two other cases: when sa == a > 0, W is exactly 65537 (bit 16 set, which no other W has);
// those pixels take X itself, which is what the merge gives with the weight 1. When a == 0, sa is 0
// too; 0 / 0 is NaN, which the conversion turns into 0x80000000: bit 16 clear and 0 in the low
// half, so every step is 0, leaving the colour as the merge does. The division raises "inexact"
// and, for 0 / 0, "invalid"; the first vector that divides masks every exception for the rest of
// the call, and the caller gets its control and status word back.
#ifndef MORVANE_COMPOSITE_SIMD_WALKS_H_
#define MORVANE_COMPOSITE_SIMD_WALKS_H_

#include <cstdint>

#include "composite/op_table.h"

// 32-bit Windows promises only 4-byte stack alignment where an export is entered. Every vector walk
// realigns its own frame on entry, so that vectors it spills to the stack can never fault.
#if MORVANE_X86_SIMD && defined(__i386__)
#define MORVANE_REALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define MORVANE_REALIGN_STACK
#endif  // MORVANE_X86_SIMD && __i386__

namespace morvane {

#if MORVANE_X86_SIMD
extern const LevelWalks kSse2Walks;
extern const LevelWalks kSse41Walks;
#endif  // MORVANE_X86_SIMD
#if MORVANE_X86_WIDE_SIMD
extern const LevelWalks kAvx2Walks;
extern const LevelWalks kAvx512Walks;
#endif  // MORVANE_X86_WIDE_SIMD

}  // namespace morvane

#endif  // MORVANE_COMPOSITE_SIMD_WALKS_H_
