// morvane compose against the library called directly on the same pixels: the tool must hand the
// images over unchanged (stb's top-down RGBA turned into the host's bottom-up BGRA) and pass the
// arguments as given.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "host/host_bitmap.h"
#include "morvane.h"
#include "tool_run.h"

namespace morvane_tool_test {
namespace {

using morvane_test::HostBitmap;

Picture RandomPicture(int32_t width, int32_t height, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> byte(0, 255), kind(0, 2);
  Picture p{width, height, {}};
  for (int32_t i = 0; i < width * height; ++i) {
    const int k = kind(rng);
    p.pixels.push_back({uint8_t(byte(rng)), uint8_t(byte(rng)), uint8_t(byte(rng)),
                        uint8_t(k == 0   ? 0
                                : k == 1 ? 255
                                         : byte(rng))});
  }
  return p;
}

void CopyInto(const Picture& p, HostBitmap& bitmap) {
  for (int32_t y = 0; y < p.height; ++y) {
    for (int32_t x = 0; x < p.width; ++x) bitmap.Set(x, y, p.At(x, y));
  }
}

// Compares colours only: the file drops alpha.
void ExpectSameColours(const Picture& file, const HostBitmap& expected, const std::string& what) {
  ASSERT_EQ(file.width, expected.width()) << what;
  ASSERT_EQ(file.height, expected.height()) << what;
  int wrong = 0;
  for (int32_t y = 0; y < file.height; ++y) {
    for (int32_t x = 0; x < file.width; ++x) {
      Pixel want = expected.Get(x, y);
      want.a = 255;
      if (file.At(x, y) != want && ++wrong <= 3) {
        ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") differs";
      }
    }
  }
  EXPECT_EQ(wrong, 0) << what;
}

class ComposeMatch : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBmp32(dir_ / "dest.bmp", dest_);
    WriteBmp32(dir_ / "src.bmp", src_);
  }

  // Runs compose with `options` and reads what it wrote.
  Picture Compose(const std::vector<std::string>& options) {
    std::vector<std::string> args = {"compose", "dest.bmp", "src.bmp", "-o", "out.bmp"};
    args.insert(args.end(), options.begin(), options.end());
    const RunResult r = RunTool(args, dir_.path());
    EXPECT_EQ(r.exit_code, 0) << r.err;
    Picture out;
    EXPECT_TRUE(ReadBmp24(dir_ / "out.bmp", &out));
    return out;
  }

  ScratchDir dir_;
  const Picture dest_ = RandomPicture(23, 17, 1);
  const Picture src_ = RandomPicture(9, 11, 2);
};

TEST_F(ComposeMatch, EveryOperationMatchesTheLibrary) {
  struct Op {
    const char* name;
    bool blend;
    uint32_t code;
  };
  const Op ops[] = {{"normal", true, BLEND_NORMAL},     {"BLEND_ADD", true, BLEND_ADD},
                    {"Subtract", true, BLEND_SUBTRACT}, {"blend_multiply", true, BLEND_MULTIPLY},
                    {"brighten", true, BLEND_BRIGHTEN}, {"SRCCOPY", false, SRCCOPY},
                    {"srcpaint", false, SRCPAINT},      {"srcand", false, SRCAND},
                    {"SrcInvert", false, SRCINVERT},    {"srcerase", false, SRCERASE},
                    {"NOTSRCCOPY", false, NOTSRCCOPY},  {"notsrcerase", false, NOTSRCERASE}};
  for (const Op& op : ops) {
    // Partly off DEST's top and right edges, from an inner part of SRC.
    const Picture out =
        Compose({op.blend ? "--mode" : "--rop", op.name, "--at", "17,-3", "--rect", "1,2,8,9"});
    HostBitmap dest(dest_.width, dest_.height), src(src_.width, src_.height);
    CopyInto(dest_, dest);
    CopyInto(src_, src);
    const int32_t r = op.blend ? BlendBlt(dest.desc(), 17, -3, 8, 9, src.desc(), 1, 2, op.code)
                               : RopBlt(dest.desc(), 17, -3, 8, 9, src.desc(), 1, 2, op.code);
    ASSERT_EQ(r, BLT_DONE);
    ExpectSameColours(out, dest, op.name);
  }
}

TEST_F(ComposeMatch, DefaultsToNormalAtTheCornerWithAllOfSrc) {
  const Picture out = Compose({});
  HostBitmap dest(dest_.width, dest_.height), src(src_.width, src_.height);
  CopyInto(dest_, dest);
  CopyInto(src_, src);
  ASSERT_EQ(BlendBlt(dest.desc(), 0, 0, src_.width, src_.height, src.desc(), 0, 0, BLEND_NORMAL),
            BLT_DONE);
  ExpectSameColours(out, dest, "defaults");
}

TEST_F(ComposeMatch, RegionIsAnEllipseInDestCoordinates) {
  // The box's centre sits on pixel corners so that no pixel centre lies on the ellipse itself.
  const Picture out = Compose({"--at", "-2,3", "--region", "ellipse:1,4,6,10"});
  HostBitmap full(dest_.width, dest_.height), src(src_.width, src_.height);
  CopyInto(dest_, full);
  CopyInto(src_, src);
  ASSERT_EQ(RopBlt(full.desc(), -2, 3, src_.width, src_.height, src.desc(), 0, 0, SRCCOPY),
            BLT_DONE);
  HostBitmap expected(dest_.width, dest_.height);
  int inside = 0;
  for (int32_t y = 0; y < dest_.height; ++y) {
    for (int32_t x = 0; x < dest_.width; ++x) {
      const double u = (x + 0.5 - 4.0) / 3.0, v = (y + 0.5 - 9.0) / 5.0;
      const bool in = u * u + v * v <= 1.0;
      inside += in;
      expected.Set(x, y, in ? full.Get(x, y) : dest_.At(x, y));
    }
  }
  EXPECT_GT(inside, 20);
  ExpectSameColours(out, expected, "ellipse");
}

TEST_F(ComposeMatch, NothingToDrawWritesDestWithANote) {
  const RunResult r =
      RunTool({"compose", "dest.bmp", "src.bmp", "-o", "out.bmp", "--at", "23,0", "--mode", "add"},
              dir_.path());
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.FirstErrLine(), "morvane: note: nothing of SRC falls on DEST; OUT is DEST unchanged");
  Picture out;
  ASSERT_TRUE(ReadBmp24(dir_ / "out.bmp", &out));
  HostBitmap dest(dest_.width, dest_.height);
  CopyInto(dest_, dest);
  ExpectSameColours(out, dest, "unchanged");
}

}  // namespace
}  // namespace morvane_tool_test
