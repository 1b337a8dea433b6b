// Every operator over every (d, s) byte pair, and the merge over every pair of alphas, against the
// plain model. Each check is shown to have teeth: a known-wrong variant must fail it.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "composite/channel_ops.h"
#include "op_helpers.h"

namespace morvane_test {
namespace {

// A 256 x 256 pair of bitmaps: destination column d, source row s. Blue carries (d, s) as given;
// green and red carry other pairs so that each channel is checked on its own.
struct PairGrid {
  std::vector<uint8_t> dst = std::vector<uint8_t>(256 * 256 * 4);
  std::vector<uint8_t> src = std::vector<uint8_t>(256 * 256 * 4);
  static uint8_t G(int v) { return static_cast<uint8_t>(255 - v); }
  static uint8_t R(int v) { return static_cast<uint8_t>(v ^ 0x5A); }
  explicit PairGrid(uint8_t src_alpha) {
    for (int s = 0; s < 256; ++s) {
      for (int d = 0; d < 256; ++d) {
        uint8_t* dp = &dst[(s * 256 + d) * 4];
        uint8_t* sp = &src[(s * 256 + d) * 4];
        dp[0] = uint8_t(d), dp[1] = G(d), dp[2] = R(d), dp[3] = 255;
        sp[0] = uint8_t(s), sp[1] = G(s), sp[2] = R(s), sp[3] = src_alpha;
      }
    }
  }
  void Run(morvane::BoxWalk walk) {
    WalkWhole(walk, BareView(dst.data(), 256, 256), BareView(src.data(), 256, 256), 256, 256);
  }
  // With an opaque source every byte must equal X exactly.
  int Mismatches(Family family, uint32_t code) const {
    int bad = 0;
    for (int s = 0; s < 256; ++s) {
      for (int d = 0; d < 256; ++d) {
        const uint8_t* dp = &dst[(s * 256 + d) * 4];
        bad += dp[0] != RefOp(family, code, d, s);
        bad += dp[1] != RefOp(family, code, G(d), G(s));
        bad += dp[2] != RefOp(family, code, R(d), R(s));
        bad += dp[3] != 255;
      }
    }
    return bad;
  }
};

TEST(OperatorsExhaustive, EveryBlendModeOnEveryBytePair) {
  for (const morvane::OpEntry& row : morvane::kBlendOps) {
    SCOPED_TRACE(row.name);
    PairGrid grid(255);
    grid.Run(ReferenceWalk(Family::kBlend, row.code));
    EXPECT_EQ(grid.Mismatches(Family::kBlend, row.code), 0);
  }
}

TEST(OperatorsExhaustive, EveryRasterOperationOnEveryBytePair) {
  for (const morvane::OpEntry& row : morvane::kRopOps) {
    SCOPED_TRACE(row.name);
    PairGrid grid(255);
    grid.Run(ReferenceWalk(Family::kRop, row.code));
    EXPECT_EQ(grid.Mismatches(Family::kRop, row.code), 0);
  }
}

TEST(OperatorsExhaustive, TablesAreInOrderAndComplete) {
  for (uint32_t mode = 0; mode < 5; ++mode) EXPECT_EQ(morvane::kBlendOps[mode].code, mode);
  const uint32_t rops[] = {SRCCOPY, SRCPAINT, SRCAND, SRCINVERT, SRCERASE, NOTSRCCOPY, NOTSRCERASE};
  for (uint32_t rop : rops) EXPECT_NE(Row(Family::kRop, rop), nullptr) << std::hex << rop;
}

// Known-wrong operators that a careless optimisation or a copied formula would give.
struct MultiplyByShift {
  static int32_t Apply(int32_t d, int32_t s) { return (d * s) >> 8; }
};
struct MultiplyRounded {
  static int32_t Apply(int32_t d, int32_t s) { return (d * s + 128) * 257 >> 16; }
};
struct BrightenWithoutCap {
  static int32_t Apply(int32_t d, int32_t s) { return d + d * s / 255; }
};

TEST(OperatorsExhaustive, WrongVariantsAreCaught) {
  auto mismatches = [](morvane::BoxWalk walk, Family family, uint32_t code) {
    PairGrid grid(255);
    grid.Run(walk);
    return grid.Mismatches(family, code);
  };
  EXPECT_GT(mismatches(morvane::ReferenceBoxWalk<MultiplyByShift>, Family::kBlend, 3), 0);
  EXPECT_GT(mismatches(morvane::ReferenceBoxWalk<MultiplyRounded>, Family::kBlend, 3), 0);
  EXPECT_GT(mismatches(morvane::ReferenceBoxWalk<BrightenWithoutCap>, Family::kBlend, 4), 0);
}

// The merge over every (destination alpha, source alpha) pair, with colours that make both
// positive and negative steps of every size, for one operator of each kind of X.
TEST(MergeExhaustive, EveryAlphaPairMatchesTheModel) {
  const uint32_t codes[] = {BLEND_NORMAL, BLEND_SUBTRACT, BLEND_BRIGHTEN};
  std::vector<uint8_t> dst(256 * 256 * 4), src(256 * 256 * 4), want(256 * 256 * 4);
  for (uint32_t code : codes) {
    for (int i = 0; i < 256 * 256; ++i) {
      const int da = i & 255, sa = i >> 8;
      const uint8_t d[4] = {uint8_t(i * 7), uint8_t(255 - sa), uint8_t(da), uint8_t(da)};
      const uint8_t s[4] = {uint8_t(i * 13 + 5), uint8_t(da), uint8_t(255 - da), uint8_t(sa)};
      std::copy(d, d + 4, &dst[i * 4]);
      std::copy(s, s + 4, &src[i * 4]);
      std::copy(d, d + 4, &want[i * 4]);
      RefMerge(&want[i * 4], s,
               [&](int dd, int ss) { return RefOp(Family::kBlend, code, dd, ss); });
    }
    WalkWhole(ReferenceWalk(Family::kBlend, code), BareView(dst.data(), 256, 256),
              BareView(src.data(), 256, 256), 256, 256);
    EXPECT_EQ(dst, want) << morvane::kBlendOps[code].name;
  }
}

// The same inputs separate truncation from flooring: a model that floors negative steps disagrees.
TEST(MergeExhaustive, FlooringNegativeStepsWouldBeCaught) {
  int differ = 0;
  for (int d = 0; d < 256; ++d) {
    for (int sa = 1; sa < 256; ++sa) {
      const int a = 128 * (255 - sa) / 255 + sa;
      const int num = (0 - d) * sa;
      const int floored = num >= 0 ? num / a : -((-num + a - 1) / a);
      differ += floored != num / a;
    }
  }
  EXPECT_GT(differ, 0);
}

TEST(MergeRandom, WholePixelsMatchTheModelForEveryOperator) {
  std::mt19937 rng(2024);
  std::uniform_int_distribution<int> byte(0, 255);
  const int kPixels = 1 << 16;
  std::vector<uint8_t> dst(kPixels * 4), src(kPixels * 4);
  for (Family family : {Family::kBlend, Family::kRop}) {
    const auto* table = family == Family::kBlend ? morvane::kBlendOps : morvane::kRopOps;
    const int rows = family == Family::kBlend ? 5 : 7;
    for (int r = 0; r < rows; ++r) {
      for (auto& b : dst) b = uint8_t(byte(rng));
      for (auto& b : src) b = uint8_t(byte(rng));
      std::vector<uint8_t> want = dst;
      const uint32_t code = table[r].code;
      for (int i = 0; i < kPixels; ++i) {
        RefMerge(&want[i * 4], &src[i * 4],
                 [&](int d, int s) { return RefOp(family, code, d, s); });
      }
      WalkWhole(ReferenceWalk(family, code), BareView(dst.data(), 256, 256),
                BareView(src.data(), 256, 256), 256, 256);
      EXPECT_EQ(dst, want) << table[r].name;
    }
  }
}

}  // namespace
}  // namespace morvane_test
