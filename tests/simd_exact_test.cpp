// The vector walks against the reference walk, exhaustively: the arithmetic they use in place of
// the divisions over every input it can meet, every (destination alpha, source alpha, X - d) triple
// and every (d, s) byte pair of every operator through each vector level this processor has.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfenv>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "composite/blit.h"
#include "op_helpers.h"
#include "simd_helpers.h"

namespace morvane_test {
namespace {

using morvane::SimdLevel;
using morvane::SimdWalksFor;

TEST(SimdArithmetic, DivideBy255IsMultiplyAndShiftOverTheWholeRange) {
  int shift_wrong = 0, rounded_wrong = 0;
  for (uint32_t x = 0; x <= 255 * 255; ++x) {
    ASSERT_EQ(x * 0x8081u >> 23, x / 255) << x;
    shift_wrong += (x >> 8) != x / 255;
    rounded_wrong += ((x + 128) * 257 >> 16) != x / 255;
  }
  // The shortcuts that are not exact fail the same check.
  EXPECT_GT(shift_wrong, 0);
  EXPECT_GT(rounded_wrong, 0);
}

// Over an opaque destination the walks step by (n * (sa * 257 + 1)) >> 16 for n = |X - d|, and go
// the whole way where sa is 255 (the 16-bit weight wraps to 0 there).
TEST(SimdArithmetic, OpaqueDestinationWeightGivesEveryTruncatedStep) {
  int bad = 0, plain_257 = 0;
  for (int sa = 0; sa < 256; ++sa) {
    const int w = (sa * 257 + 1) & 0xFFFF;
    for (int n = 0; n < 256; ++n) {
      bad += (w == 0 ? n : (n * w) >> 16) != n * sa / 255;
      plain_257 += (n * sa * 257) >> 16 != n * sa / 255;
    }
  }
  EXPECT_EQ(bad, 0);
  EXPECT_GT(plain_257, 0);  // without the + 1, exact quotients come out one short
}

// The weight exactly as the vector walks form it: W = trunc((sa * 65536 + a) / a) in single
// precision, in whatever rounding mode is in force. Where a is 0 (and so sa), 0 / 0 is NaN, which
// the vector conversion turns into 0x80000000: bit 16 clear and 0 in the low half.
int32_t Weight(int sa, int a) {
  if (a == 0) return INT32_MIN;
  volatile float num = static_cast<float>(sa * 65536 + a);
  volatile float den = static_cast<float>(a);
  return static_cast<int32_t>(num / den);
}

// The step size the walks take toward X for |X - d| = n: X itself when W has bit 16 set,
// otherwise (n * W) >> 16 with W's low half.
int StepSize(int n, int32_t weight) { return weight & 0x10000 ? n : (n * (weight & 0xFFFF)) >> 16; }

// Mismatches of `step(n, sa, a)` against floor(n * sa / a) over every n in 0..255 and every alpha
// pair the merge can meet (sa <= a; a == 0 only with sa == 0, where the colour must not move).
template <class StepFn>
int StepMismatches(StepFn step) {
  int bad = 0;
  for (int a = 0; a < 256; ++a) {
    for (int sa = 0; sa <= a; ++sa) {
      for (int n = 0; n < 256; ++n) bad += step(n, sa, a) != (a == 0 ? 0 : n * sa / a);
    }
  }
  return bad;
}

TEST(SimdArithmetic, WeightGivesEveryTruncatedStepInEveryRoundingMode) {
  const int saved = std::fegetround();
  for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    // Weights per alpha pair, then every n against them.
    const int bad = StepMismatches([](int n, int sa, int a) {
      static int last_sa = -1, last_a = -1;
      static int32_t weight = 0;
      if (sa != last_sa || a != last_a) weight = Weight(sa, a), last_sa = sa, last_a = a;
      return StepSize(n, weight);
    });
    EXPECT_EQ(bad, 0) << "rounding mode " << mode;
  }
  std::fesetround(saved);
}

TEST(SimdArithmetic, WeightsWithoutTheirMarginFail) {
  // Rounded down instead of up past the exact quotient: exact steps come out one short.
  EXPECT_GT(StepMismatches([](int n, int sa, int a) {
              const int32_t w = a == 0 ? 0 : int32_t(float(sa * 65536) / float(a));
              return sa == a && a > 0 ? n : (n * w) >> 16;
            }),
            0);
  // One bit less of weight: the margin no longer stays below 1/255.
  EXPECT_GT(StepMismatches([](int n, int sa, int a) {
              const int32_t w = a == 0 ? 0 : int32_t(float(sa * 32768 + a) / float(a));
              return sa == a && a > 0 ? n : (n * w) >> 15;
            }),
            0);
  // A plain float fraction sa / a, truncated: products that should be whole fall just short.
  EXPECT_GT(StepMismatches([](int n, int sa, int a) {
              return a == 0 ? 0 : int(float(n) * (float(sa) / float(a)));
            }),
            0);
}

// A view over plain memory, for running walks on buffers the test lays out itself.
struct Image {
  int32_t width, height;
  std::vector<uint8_t> bytes;
  Image(int32_t w, int32_t h) : width(w), height(h), bytes(size_t(w) * size_t(h) * 4) {}
  morvane::PixelView View() { return BareView(bytes.data(), width, height); }
  uint8_t* Pixel(size_t i) { return &bytes[i * 4]; }
};

// Runs `walk` over the whole of dst with src, on a copy of dst.
Image Walked(morvane::BoxWalk walk, const Image& dst, Image& src) {
  Image out = dst;
  WalkWhole(walk, out.View(), src.View(), out.width, out.height);
  return out;
}

// Index of the first pixel where two images differ, or -1.
long FirstDifference(const Image& a, const Image& b) {
  if (a.bytes == b.bytes) return -1;
  for (size_t i = 0; i < a.bytes.size(); i += 4) {
    if (std::memcmp(&a.bytes[i], &b.bytes[i], 4) != 0) return long(i / 4);
  }
  return -1;
}

std::string Describe(const Image& dst, const Image& src, const Image& want, const Image& got,
                     long i) {
  char buf[200];
  const uint8_t *d = &dst.bytes[i * 4], *s = &src.bytes[i * 4], *w = &want.bytes[i * 4],
                *g = &got.bytes[i * 4];
  std::snprintf(buf, sizeof buf,
                "pixel %ld: d=(%d,%d,%d,%d) s=(%d,%d,%d,%d) want (%d,%d,%d,%d) got (%d,%d,%d,%d)",
                i, d[0], d[1], d[2], d[3], s[0], s[1], s[2], s[3], w[0], w[1], w[2], w[3], g[0],
                g[1], g[2], g[3]);
  return buf;
}

// Pixel pairs (destination, source) that give every (destination alpha, source alpha) pair, and
// for each (source alpha, new alpha) the merge can meet every difference X - d in -255..255 under
// BLEND_NORMAL (X = s), three differences per pixel.
struct StepCases {
  std::vector<std::array<uint8_t, 8>> pixels;  // destination bytes, then source bytes

  StepCases() {
    pixels.reserve(32896 * 171 + 32640);
    bool seen[256][256] = {};  // (sa, a) pairs already given every difference
    for (int pair = 0; pair < 65536; ++pair) {
      const int da = pair & 255, sa = pair >> 8;
      const int a = da * (255 - sa) / 255 + sa;
      const int count = seen[sa][a] ? 1 : 171;  // ceil(511 / 3)
      seen[sa][a] = true;
      for (int k = 0; k < count; ++k) {
        std::array<uint8_t, 8> p;
        for (int c = 0; c < 3; ++c) {
          const int n = count == 1 ? (pair % 511) - 255 : std::min(-255 + 3 * k + c, 255);
          const int d = (n < 0 ? -n : 0) + (pair * 7 + k) % (256 - std::abs(n));
          p[c] = uint8_t(d);
          p[4 + c] = uint8_t(d + n);
        }
        p[3] = uint8_t(da);
        p[7] = uint8_t(sa);
        pixels.push_back(p);
      }
    }
  }

  // Lays the cases out as a destination and a source image, 4096 pixels wide, column by column:
  // neighbours in a row are cases Rows() apart, from different alpha pairs, so that every pixel
  // goes through the walks' full arithmetic rather than their shortcuts for runs of transparent
  // or opaque sources. The padding pixels are transparent on both sides.
  void Fill(Image& dst, Image& src) const {
    const size_t rows = size_t(Rows());
    for (size_t i = 0; i < pixels.size(); ++i) {
      const size_t at = (i % rows) * 4096 + i / rows;
      std::memcpy(dst.Pixel(at), &pixels[i][0], 4);
      std::memcpy(src.Pixel(at), &pixels[i][4], 4);
    }
  }
  int32_t Rows() const { return int32_t((pixels.size() + 4095) / 4096); }

  // Lays the cases over a destination alpha of 0 or 255 out row by row, as on a layer that
  // sprites have covered or not, the two interleaved in an irregular pattern so that vectors hold
  // both, and after every 37 of them one of the other cases, their destination alphas taken in
  // turn from 1 to 254: vectors of every width meet destinations that are all clear or opaque
  // beside ones that are not by a single alpha, 1 and 254 among them. The padding pixels are
  // transparent on both sides.
  void FillLayer(Image& dst, Image& src) const {
    std::vector<size_t> clear, opaque, other[256];
    for (size_t i = 0; i < pixels.size(); ++i) {
      const uint8_t da = pixels[i][3];
      (da == 0 ? clear : da == 255 ? opaque : other[da]).push_back(i);
    }
    size_t at = 0, next_clear = 0, next_opaque = 0, inserted = 0;
    auto put = [&](size_t i) {
      std::memcpy(dst.Pixel(at), &pixels[i][0], 4);
      std::memcpy(src.Pixel(at++), &pixels[i][4], 4);
    };
    for (size_t k = 0; next_clear < clear.size() || next_opaque < opaque.size(); ++k) {
      const bool take_clear = next_opaque == opaque.size() ||
                              (next_clear < clear.size() && (k * 2654435761u >> 13 & 1));
      put(take_clear ? clear[next_clear++] : opaque[next_opaque++]);
      if (k % 37 == 36) {
        const std::vector<size_t>& cases = other[1 + inserted % 254];
        put(cases[inserted++ / 254 * 7919 % cases.size()]);
      }
    }
  }
  int32_t LayerRows() const {
    size_t binary = 0;
    for (const auto& p : pixels) binary += p[3] == 0 || p[3] == 255;
    return int32_t((binary + binary / 37 + 4095) / 4096);
  }
};

TEST(SimdExhaustive, EveryAlphaPairAndStepMatchesTheReferenceWalk) {
  const StepCases cases;
  for (bool layer : {false, true}) {
    const int32_t rows = layer ? cases.LayerRows() : cases.Rows();
    Image dst(4096, rows), src(4096, rows);
    layer ? cases.FillLayer(dst, src) : cases.Fill(dst, src);
    const Image want = Walked(ReferenceWalk(Family::kBlend, BLEND_NORMAL), dst, src);
    for (SimdLevel level : VectorLevels()) {
      const Image got = Walked(SimdWalksFor(level)->blend[0], dst, src);
      const long i = FirstDifference(want, got);
      EXPECT_EQ(i, -1) << morvane::SimdLevelName(level) << (layer ? ", layer" : "") << ": "
                       << Describe(dst, src, want, got, i < 0 ? 0 : i);
    }
  }
}

// Destination column d, source row s: blue carries (d, s), green and red other pairs. The source
// alphas follow `scheme`: 0 all opaque (the opaque shortcut), 1 all different and never zero (the
// full arithmetic on every pair), 2 drawn from 0 / 255 / in-between in thirds, mixing every path.
// The destination's alphas are random, all 255 (the merge onto an opaque destination), or those
// of a layer: 0 or 255 at random, but for one pixel in between in one of every four runs of 16
// (the widest vector), so that vectors of every width meet both merges over a layer.
enum class DstAlphas { kRandom, kOpaque, kLayer };
void FillBytePairs(Image& dst, Image& src, int scheme, DstAlphas dst_alphas) {
  std::mt19937 rng(static_cast<uint32_t>(scheme));
  std::uniform_int_distribution<int> byte(0, 255), third(0, 2);
  for (int s = 0; s < 256; ++s) {
    for (int d = 0; d < 256; ++d) {
      uint8_t *dp = dst.Pixel(size_t(s) * 256 + d), *sp = src.Pixel(size_t(s) * 256 + d);
      dp[0] = uint8_t(d), dp[1] = uint8_t(255 - d), dp[2] = uint8_t(d ^ 0x5A);
      sp[0] = uint8_t(s), sp[1] = uint8_t(255 - s), sp[2] = uint8_t(s ^ 0x5A);
      const int kind = third(rng);
      const int a = dst_alphas == DstAlphas::kOpaque ? 255 : byte(rng);
      const bool between = d % 16 == (s * 5 + d / 16) % 16 && (s + d / 16) % 4 == 0;
      dp[3] = dst_alphas != DstAlphas::kLayer ? uint8_t(a)
              : between                       ? uint8_t(1 + a % 254)
                                              : uint8_t(a & 1 ? 255 : 0);
      sp[3] = scheme == 0   ? 255
              : scheme == 1 ? uint8_t(1 + (d * 7 + s * 3) % 255)
                            : uint8_t(kind == 0   ? 0
                                      : kind == 1 ? 255
                                                  : byte(rng));
    }
  }
}

TEST(SimdExhaustive, EveryBytePairOfEveryOperatorMatchesTheReferenceWalk) {
  for (int scheme = 0; scheme < 9; ++scheme) {
    Image dst(256, 256), src(256, 256);
    FillBytePairs(dst, src, scheme % 3, DstAlphas(scheme / 3));
    for (Family family : {Family::kBlend, Family::kRop}) {
      const auto* table = family == Family::kBlend ? morvane::kBlendOps : morvane::kRopOps;
      const size_t rows = family == Family::kBlend ? 5 : 7;
      for (size_t r = 0; r < rows; ++r) {
        const Image want = Walked(ReferenceWalk(family, table[r].code), dst, src);
        for (SimdLevel level : VectorLevels()) {
          const morvane::LevelWalks* walks = SimdWalksFor(level);
          const Image got =
              Walked(family == Family::kBlend ? walks->blend[r] : walks->rop[r], dst, src);
          const long i = FirstDifference(want, got);
          EXPECT_EQ(i, -1) << table[r].name << " at " << morvane::SimdLevelName(level)
                           << ", alphas " << scheme << ": "
                           << Describe(dst, src, want, got, i < 0 ? 0 : i);
        }
      }
    }
  }
}

}  // namespace
}  // namespace morvane_test
