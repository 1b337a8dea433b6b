// The primitives the vector walk (lane_merge.h, lane_rows.h, lane_walk.h) may ask of a "lanes"
// struct L, and the check that a lanes struct has every one of them. Each lanes_*.h asserts
// LanesComplete for its own struct, so that a primitive missing (or taking or giving other types)
// stops the build at its line here, even where only a tuning flag or another instruction set's walk
// would reach it. Besides these, L names its vector type V, the pixels kPixels it holds, and its
// Tuning record:
//
//   kFullStepToX     whether the full merge reaches X by a step rather than by XWhereExact where X
//                    may lie either way (see LaneOps::FullColour)
//   kOpaqueSelectsX  whether the merge over an opaque destination takes X by XWhereOpaque where X
//                    lies one way
//   kPairsRows       whether a box of rows at most half a vector wide takes two rows to a vector
//                    (LoadRowPair, StoreRowPair)
//   kScreenBoxApart  whether, with eight vector registers, one box over a screen larger than a
//                    sprite is walked out of line, in LoneBox, rather than in Run
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
struct Stand {
  static typename L::V v();
  static const uint8_t* src();
  static uint8_t* dst();
};
template <class L>
void TakeVector(typename L::V);
void TakeBool(bool);

}  // namespace lanes_check

// Whether L::call is well formed and gives a vector, a bool, or nothing.
#define MORVANE_VECTOR(call) \
  static_assert(std::is_void<decltype(lanes_check::TakeVector<L>(L::call))>::value, #call)
#define MORVANE_BOOL(call) \
  static_assert(std::is_void<decltype(lanes_check::TakeBool(L::call))>::value, #call)
#define MORVANE_NOTHING(call) static_assert(std::is_void<decltype(L::call)>::value, #call)

// Whether lanes L have every primitive the walk of L may use, N being the lanes that take rows
// shorter than L's vector (L itself, or narrower lanes that must pass this check on their own).
template <class L, class N = L>
constexpr bool LanesComplete() {
  using A = lanes_check::Stand<L>;
  // The Tuning record's flags are read by the tests below, so a missing one stops there too.
  static_assert(std::is_integral<decltype(L::kPixels)>::value, "the lanes lack kPixels");
  static_assert(std::is_same<decltype(L::Tuning::kScreenBoxApart), const bool>::value,
                "the lanes' Tuning lacks kScreenBoxApart");
  // Unaligned, kPixels pixels.
  MORVANE_VECTOR(Load(A::src()));
  MORVANE_NOTHING(Store(A::dst(), A::v()));
  // Whether every pixel's alpha byte is 0, or 255; the second argument is AlphaBytes(), made once.
  MORVANE_BOOL(AllTransparent(A::v(), A::v()));
  MORVANE_BOOL(AllOpaque(A::v(), A::v()));
  // v with the pixels whose bit in m is clear set to 0.
  MORVANE_VECTOR(KeepLanes(A::v(), uint32_t{}));
  // Every 16-bit or 32-bit lane set to one value; 0xFF in every alpha byte and 0 elsewhere; each
  // pixel's alpha byte in every byte of the pixel, and its alpha in both 16-bit halves of its lane.
  MORVANE_VECTOR(Set16(int{}));
  MORVANE_VECTOR(Set32(int{}));
  MORVANE_VECTOR(AlphaBytes());
  MORVANE_VECTOR(AlphaBothBytes(A::v()));
  MORVANE_VECTOR(AlphaBothHalves(A::v()));
  // The bitwise operations; AndNot(a, b) is ~a & b.
  MORVANE_VECTOR(Zero());
  MORVANE_VECTOR(And(A::v(), A::v()));
  MORVANE_VECTOR(AndNot(A::v(), A::v()));
  MORVANE_VECTOR(Or(A::v(), A::v()));
  MORVANE_VECTOR(Xor(A::v(), A::v()));
  // Byte arithmetic: wrapping, unsigned saturating, unsigned minimum.
  MORVANE_VECTOR(AddI8(A::v(), A::v()));
  MORVANE_VECTOR(SubI8(A::v(), A::v()));
  MORVANE_VECTOR(AddsU8(A::v(), A::v()));
  MORVANE_VECTOR(SubsU8(A::v(), A::v()));
  MORVANE_VECTOR(MinU8(A::v(), A::v()));
  // 16-bit arithmetic: sum, equality (all ones or 0), low and unsigned high halves of the product,
  // shifts by a constant.
  MORVANE_VECTOR(AddI16(A::v(), A::v()));
  MORVANE_VECTOR(CmpEqI16(A::v(), A::v()));
  MORVANE_VECTOR(MulloI16(A::v(), A::v()));
  MORVANE_VECTOR(MulhiU16(A::v(), A::v()));
  MORVANE_VECTOR(SrliI16(A::v(), int{}));
  MORVANE_VECTOR(SlliI16(A::v(), int{}));
  // 32-bit arithmetic: sum, shifts by a constant.
  MORVANE_VECTOR(AddI32(A::v(), A::v()));
  MORVANE_VECTOR(SrliI32(A::v(), int{}));
  MORVANE_VECTOR(SlliI32(A::v(), int{}));
  MORVANE_VECTOR(SraiI32(A::v(), int{}));
  // Weight(num, a): trunc(num / a) per 32-bit lane, through float; 0x80000000 where a is 0.
  MORVANE_VECTOR(Weight(A::v(), A::v()));
  // Each 32-bit lane's low 16 bits in both its halves.
  MORVANE_VECTOR(LowHalfTwice(A::v()));
  // EvenOddBytes(e, o): the even bytes of e and the odd bytes of o; e's odd bytes are 0 wherever
  // the walks call it.
  MORVANE_VECTOR(EvenOddBytes(A::v(), A::v()));
  // XWhereExact(w, x, moved): x in the pixels whose w has bit 16 set, moved elsewhere.
  MORVANE_VECTOR(XWhereExact(A::v(), A::v(), A::v()));
  // WithAlphas(colour, a): the alpha bytes of a and the other bytes of colour.
  MORVANE_VECTOR(WithAlphas(A::v(), A::v()));
  if constexpr (std::is_same<L, N>::value) {
    // LoadShort(p, w, fill), StoreShort(p, v, w): a row of 0 < w < kPixels pixels in one vector,
    // its own pixels (some twice) or `fill` in the lanes beyond it. Nothing beyond the row is read
    // or written, so it may end at a guard page. StoreFirst(p, v, w): the first w lanes of v at p,
    // kPixels / 2 < w < kPixels, for a row that was loaded as a whole vector. Only for lanes that
    // walk their own short rows.
    MORVANE_VECTOR(LoadShort(A::src(), int32_t{}, A::v()));
    MORVANE_NOTHING(StoreShort(A::dst(), A::v(), int32_t{}));
    MORVANE_NOTHING(StoreFirst(A::dst(), A::v(), int32_t{}));
  }
  if constexpr (L::Tuning::kPairsRows) {
    // Two rows of at most kPixels / 2 pixels in one vector.
    MORVANE_VECTOR(LoadRowPair(A::src(), A::src(), int32_t{}));
    MORVANE_NOTHING(StoreRowPair(A::dst(), A::dst(), A::v(), int32_t{}));
  }
  // 32-bit equality, where the full merge steps to X.
  if constexpr (L::Tuning::kFullStepToX) MORVANE_VECTOR(CmpEqI32(A::v(), A::v()));
  // XWhereOpaque(w, x, moved): x in the pixels whose w is 0, moved elsewhere.
  if constexpr (L::Tuning::kOpaqueSelectsX) MORVANE_VECTOR(XWhereOpaque(A::v(), A::v(), A::v()));
  return true;
}

#undef MORVANE_NOTHING
#undef MORVANE_BOOL
#undef MORVANE_VECTOR

}  // namespace morvane

#endif  // MORVANE_COMPOSITE_LANES_CHECK_H_
