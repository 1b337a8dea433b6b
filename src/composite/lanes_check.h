// The primitives the vector walk (simd_lane_walk.h) may ask of a "lanes" struct L, and the check
// that a lanes struct has every one of them. Each lanes_*.h asserts LanesComplete for its own
// struct, so that a primitive missing (or giving the wrong type) fails there, even where only a
// tuning flag or another instruction set's walk would reach it. Besides these, L names its vector
// type V, the pixels kPixels it holds, and its Tuning record:
//
//   kFullStepToX     whether the full merge reaches X by a step rather than by XWhereExact where X
//                    may lie either way (see LaneOps::FullColour)
//   kOpaqueSelectsX  whether the merge over an opaque destination takes X by XWhereOpaque where X
//                    lies one way
//   kPairsRows       whether a box of rows at most half a vector wide takes two rows to a vector
//                    (LoadRowPair, StoreRowPair)
#ifndef MORVANE_COMPOSITE_LANES_CHECK_H_
#define MORVANE_COMPOSITE_LANES_CHECK_H_

#include <cstdint>
#include <type_traits>

namespace morvane {
namespace lanes_check {

// Stand-ins for the arguments, and takers that accept only a result of the right type, in
// unevaluated calls only. (A vector type is never a template argument here: GCC would drop its
// alignment attribute, and warn.)
template <class L>
typename L::V AnyVector();
const uint8_t* AnySource();
uint8_t* AnyTarget();
template <class L>
void TakeVector(typename L::V);
void TakeBool(bool);

// Whether L has a primitive `name` that takes the arguments (in parentheses) and gives what `take`
// accepts: Has<name><L>. `take` is TakeVector<L>, TakeBool or void.
#define MORVANE_LANE_PRIMITIVE(name, take, arguments) \
  template <class L, class = void>                    \
  struct Has##name : std::false_type {};              \
  template <class L>                                  \
  struct Has##name<L, std::void_t<decltype(take(L::name arguments))>> : std::true_type {};

#define MORVANE_V AnyVector<L>()
#define MORVANE_VEC TakeVector<L>
#define MORVANE_BOOL TakeBool

// Unaligned, kPixels pixels.
MORVANE_LANE_PRIMITIVE(Load, MORVANE_VEC, (AnySource()))
MORVANE_LANE_PRIMITIVE(Store, void, (AnyTarget(), MORVANE_V))
// LoadShort(p, w, fill), StoreShort(p, v, w): a row of 0 < w < kPixels pixels in one vector, its
// own pixels (some twice) or `fill` in the lanes beyond it. Nothing beyond the row is read or
// written, so it may end at a guard page. Only lanes that walk their own short rows need them.
MORVANE_LANE_PRIMITIVE(LoadShort, MORVANE_VEC, (AnySource(), int32_t{}, MORVANE_V))
MORVANE_LANE_PRIMITIVE(StoreShort, void, (AnyTarget(), MORVANE_V, int32_t{}))
// The first w lanes of v at p, kPixels / 2 < w < kPixels, for a row that was loaded as a whole
// vector; as LoadShort, only for lanes that walk their own short rows.
MORVANE_LANE_PRIMITIVE(StoreFirst, void, (AnyTarget(), MORVANE_V, int32_t{}))
// LoadRowPair(p, q, w), StoreRowPair(p, q, v, w): two rows of at most kPixels / 2 pixels in one
// vector, where Tuning::kPairsRows.
MORVANE_LANE_PRIMITIVE(LoadRowPair, MORVANE_VEC, (AnySource(), AnySource(), int32_t{}))
MORVANE_LANE_PRIMITIVE(StoreRowPair, void, (AnyTarget(), AnyTarget(), MORVANE_V, int32_t{}))
// Whether every pixel's alpha byte is 0, or 255; the second argument is AlphaBytes(), made once.
MORVANE_LANE_PRIMITIVE(AllTransparent, MORVANE_BOOL, (MORVANE_V, MORVANE_V))
MORVANE_LANE_PRIMITIVE(AllOpaque, MORVANE_BOOL, (MORVANE_V, MORVANE_V))
// v with the pixels whose bit in m is clear set to 0.
MORVANE_LANE_PRIMITIVE(KeepLanes, MORVANE_VEC, (MORVANE_V, uint32_t{}))
// Every 16-bit or 32-bit lane set to one value.
MORVANE_LANE_PRIMITIVE(Set16, MORVANE_VEC, (int{}))
MORVANE_LANE_PRIMITIVE(Set32, MORVANE_VEC, (int{}))
// 0xFF in every alpha byte, 0 elsewhere.
MORVANE_LANE_PRIMITIVE(AlphaBytes, MORVANE_VEC, ())
// Each pixel's alpha byte in every byte of the pixel.
MORVANE_LANE_PRIMITIVE(AlphaBothBytes, MORVANE_VEC, (MORVANE_V))
// Each pixel's alpha in both 16-bit halves of its lane.
MORVANE_LANE_PRIMITIVE(AlphaBothHalves, MORVANE_VEC, (MORVANE_V))
// The bitwise operations; AndNot(a, b) is ~a & b.
MORVANE_LANE_PRIMITIVE(Zero, MORVANE_VEC, ())
MORVANE_LANE_PRIMITIVE(And, MORVANE_VEC, (MORVANE_V, MORVANE_V))
MORVANE_LANE_PRIMITIVE(AndNot, MORVANE_VEC, (MORVANE_V, MORVANE_V))
MORVANE_LANE_PRIMITIVE(Or, MORVANE_VEC, (MORVANE_V, MORVANE_V))
MORVANE_LANE_PRIMITIVE(Xor, MORVANE_VEC, (MORVANE_V, MORVANE_V))
// Byte arithmetic: wrapping, unsigned saturating, unsigned minimum.
MORVANE_LANE_PRIMITIVE(AddI8, MORVANE_VEC, (MORVANE_V, MORVANE_V))
MORVANE_LANE_PRIMITIVE(SubI8, MORVANE_VEC, (MORVANE_V, MORVANE_V))
MORVANE_LANE_PRIMITIVE(AddsU8, MORVANE_VEC, (MORVANE_V, MORVANE_V))
MORVANE_LANE_PRIMITIVE(SubsU8, MORVANE_VEC, (MORVANE_V, MORVANE_V))
MORVANE_LANE_PRIMITIVE(MinU8, MORVANE_VEC, (MORVANE_V, MORVANE_V))
// 16-bit arithmetic: sum, equality (all ones or 0), low and unsigned high halves of the product,
// shifts by a constant.
MORVANE_LANE_PRIMITIVE(AddI16, MORVANE_VEC, (MORVANE_V, MORVANE_V))
MORVANE_LANE_PRIMITIVE(CmpEqI16, MORVANE_VEC, (MORVANE_V, MORVANE_V))
MORVANE_LANE_PRIMITIVE(MulloI16, MORVANE_VEC, (MORVANE_V, MORVANE_V))
MORVANE_LANE_PRIMITIVE(MulhiU16, MORVANE_VEC, (MORVANE_V, MORVANE_V))
MORVANE_LANE_PRIMITIVE(SrliI16, MORVANE_VEC, (MORVANE_V, int{}))
MORVANE_LANE_PRIMITIVE(SlliI16, MORVANE_VEC, (MORVANE_V, int{}))
// 32-bit arithmetic: sum, shifts by a constant, and equality where Tuning::kFullStepToX.
MORVANE_LANE_PRIMITIVE(AddI32, MORVANE_VEC, (MORVANE_V, MORVANE_V))
MORVANE_LANE_PRIMITIVE(SrliI32, MORVANE_VEC, (MORVANE_V, int{}))
MORVANE_LANE_PRIMITIVE(SlliI32, MORVANE_VEC, (MORVANE_V, int{}))
MORVANE_LANE_PRIMITIVE(SraiI32, MORVANE_VEC, (MORVANE_V, int{}))
MORVANE_LANE_PRIMITIVE(CmpEqI32, MORVANE_VEC, (MORVANE_V, MORVANE_V))
// Weight(num, a): trunc(num / a) per 32-bit lane, through float; 0x80000000 where a is 0.
MORVANE_LANE_PRIMITIVE(Weight, MORVANE_VEC, (MORVANE_V, MORVANE_V))
// Each 32-bit lane's low 16 bits in both its halves.
MORVANE_LANE_PRIMITIVE(LowHalfTwice, MORVANE_VEC, (MORVANE_V))
// EvenOddBytes(e, o): the even bytes of e and the odd bytes of o; e's odd bytes are 0 wherever the
// walks call it.
MORVANE_LANE_PRIMITIVE(EvenOddBytes, MORVANE_VEC, (MORVANE_V, MORVANE_V))
// XWhereExact(w, x, moved): x in the pixels whose w has bit 16 set, moved elsewhere.
MORVANE_LANE_PRIMITIVE(XWhereExact, MORVANE_VEC, (MORVANE_V, MORVANE_V, MORVANE_V))
// XWhereOpaque(w, x, moved): x in the pixels whose w is 0, moved elsewhere; where
// Tuning::kOpaqueSelectsX.
MORVANE_LANE_PRIMITIVE(XWhereOpaque, MORVANE_VEC, (MORVANE_V, MORVANE_V, MORVANE_V))
// WithAlphas(colour, a): the alpha bytes of a and the other bytes of colour.
MORVANE_LANE_PRIMITIVE(WithAlphas, MORVANE_VEC, (MORVANE_V, MORVANE_V))

#undef MORVANE_BOOL
#undef MORVANE_VEC
#undef MORVANE_V
#undef MORVANE_LANE_PRIMITIVE

// Whether L's Tuning record has its three flags.
template <class L, class = void>
struct HasTuning : std::false_type {};
template <class L>
struct HasTuning<L, std::void_t<decltype(bool{L::Tuning::kFullStepToX}),
                                decltype(bool{L::Tuning::kOpaqueSelectsX}),
                                decltype(bool{L::Tuning::kPairsRows})>> : std::true_type {};

}  // namespace lanes_check

// Whether lanes L have every primitive the walk of L may use, N being the lanes that take rows
// shorter than L's vector (L itself, or narrower lanes that must pass this check on their own).
// Each missing primitive fails its own assertion, which names it.
#define MORVANE_REQUIRE(name) \
  static_assert(lanes_check::Has##name<L>::value, "the lanes lack " #name " or its types")
template <class L, class N = L>
constexpr bool LanesComplete() {
  static_assert(std::is_integral<decltype(L::kPixels)>::value, "the lanes lack kPixels");
  static_assert(lanes_check::HasTuning<L>::value, "the lanes lack a flag of their Tuning");
  MORVANE_REQUIRE(Load);
  MORVANE_REQUIRE(Store);
  MORVANE_REQUIRE(AllTransparent);
  MORVANE_REQUIRE(AllOpaque);
  MORVANE_REQUIRE(KeepLanes);
  MORVANE_REQUIRE(Set16);
  MORVANE_REQUIRE(Set32);
  MORVANE_REQUIRE(AlphaBytes);
  MORVANE_REQUIRE(AlphaBothBytes);
  MORVANE_REQUIRE(AlphaBothHalves);
  MORVANE_REQUIRE(Zero);
  MORVANE_REQUIRE(And);
  MORVANE_REQUIRE(AndNot);
  MORVANE_REQUIRE(Or);
  MORVANE_REQUIRE(Xor);
  MORVANE_REQUIRE(AddI8);
  MORVANE_REQUIRE(SubI8);
  MORVANE_REQUIRE(AddsU8);
  MORVANE_REQUIRE(SubsU8);
  MORVANE_REQUIRE(MinU8);
  MORVANE_REQUIRE(AddI16);
  MORVANE_REQUIRE(CmpEqI16);
  MORVANE_REQUIRE(MulloI16);
  MORVANE_REQUIRE(MulhiU16);
  MORVANE_REQUIRE(SrliI16);
  MORVANE_REQUIRE(SlliI16);
  MORVANE_REQUIRE(AddI32);
  MORVANE_REQUIRE(SrliI32);
  MORVANE_REQUIRE(SlliI32);
  MORVANE_REQUIRE(SraiI32);
  MORVANE_REQUIRE(Weight);
  MORVANE_REQUIRE(LowHalfTwice);
  MORVANE_REQUIRE(EvenOddBytes);
  MORVANE_REQUIRE(XWhereExact);
  MORVANE_REQUIRE(WithAlphas);
  if constexpr (std::is_same<L, N>::value) {  // lanes that walk their own short rows
    MORVANE_REQUIRE(LoadShort);
    MORVANE_REQUIRE(StoreShort);
    MORVANE_REQUIRE(StoreFirst);
  }
  if constexpr (L::Tuning::kPairsRows) {
    MORVANE_REQUIRE(LoadRowPair);
    MORVANE_REQUIRE(StoreRowPair);
  }
  if constexpr (L::Tuning::kFullStepToX) MORVANE_REQUIRE(CmpEqI32);
  if constexpr (L::Tuning::kOpaqueSelectsX) MORVANE_REQUIRE(XWhereOpaque);
  return true;
}
#undef MORVANE_REQUIRE

}  // namespace morvane

#endif  // MORVANE_COMPOSITE_LANES_CHECK_H_
