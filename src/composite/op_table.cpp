#include "composite/op_table.h"

#include "composite/simd_walks.h"

namespace morvane {

template <class Op>
struct ReferenceWalk {
  static constexpr BoxWalk Run = ReferenceBoxWalk<Op>;
  static constexpr BoxWalk RunCovered = ReferenceCoveredWalk<Op>;
};

const LevelWalks kReferenceWalks = MakeLevelWalks<ReferenceWalk>();

const OpEntry* FindOp(const OpEntry* table, size_t count, uint32_t code) {
  for (size_t i = 0; i < count; ++i) {
    if (table[i].code == code) return &table[i];
  }
  return nullptr;
}

// Row i for SimdLevel i; null for kScalar and for the levels this build lacks.
const LevelWalks* const kSimdWalks[static_cast<int>(kTopSimdLevel) + 1] = {
    nullptr,
#if MORVANE_X86_SIMD
    &kSse2Walks, &kSse41Walks,
#else
    nullptr, nullptr,
#endif  // MORVANE_X86_SIMD
#if MORVANE_X86_WIDE_SIMD
    &kAvx2Walks, &kAvx512Walks,
#else
    nullptr, nullptr,
#endif  // MORVANE_X86_WIDE_SIMD
};

}  // namespace morvane
