// morvane showcase, run as a user runs it: the sheet it writes and what it prints.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tool_run.h"

namespace morvane_tool_test {
namespace {

// The sheet's layout: 21 tiles of 176 x 128 in rows of 7.
constexpr int kTiles = 21, kColumns = 7, kTileW = 176, kTileH = 128;
constexpr int kSheetW = 1336, kSheetH = 596;
constexpr int kFirstX = 16, kFirstY = 75, kPitchX = 188, kPitchY = 173;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(Showcase, RunWithoutArgumentsWritesTheSheetHere) {
  const ScratchDir dir;
  const RunResult r = RunTool({}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err, "");

  // A heading, one timed line per tile, and where the file is.
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), size_t(kTiles + 2)) << r.out;
  for (int i = 1; i <= kTiles; ++i) {
    EXPECT_EQ(lines[size_t(i)].substr(lines[size_t(i)].size() - 3), " us") << lines[size_t(i)];
  }
  EXPECT_EQ(lines.back(), "wrote " + dir / "showcase.bmp" + " (1336 x 596)");

  Picture sheet;
  ASSERT_TRUE(ReadBmp24(dir / "showcase.bmp", &sheet));
  EXPECT_EQ(sheet.width, kSheetW);
  EXPECT_EQ(sheet.height, kSheetH);

  // Every tile shows something of its own: none a flat colour, and no two alike except SRCCOPY
  // (tile 7), which draws exactly what BLEND_NORMAL (tile 2) draws.
  std::vector<std::vector<uint8_t>> tiles;
  std::set<std::vector<uint8_t>> seen;
  for (int t = 0; t < kTiles; ++t) {
    const int x0 = kFirstX + t % kColumns * kPitchX, y0 = kFirstY + t / kColumns * kPitchY;
    std::vector<uint8_t> bytes;
    std::set<uint32_t> colours;
    for (int y = y0; y < y0 + kTileH; ++y) {
      for (int x = x0; x < x0 + kTileW; ++x) {
        const Pixel p = sheet.At(x, y);
        bytes.insert(bytes.end(), {p.b, p.g, p.r});
        colours.insert(uint32_t(p.b) | uint32_t(p.g) << 8 | uint32_t(p.r) << 16);
      }
    }
    EXPECT_GT(colours.size(), 50u) << "tile " << t;
    if (t != 7) {
      EXPECT_TRUE(seen.insert(bytes).second) << "tile " << t << " repeats another";
    }
    tiles.push_back(bytes);
  }
  EXPECT_TRUE(tiles[7] == tiles[2]);
}

TEST(Showcase, WritesWhereAsked) {
  const ScratchDir dir;
  const RunResult r = RunTool({"showcase", "--output=sheet.bmp"}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  Picture sheet;
  EXPECT_TRUE(ReadBmp24(dir / "sheet.bmp", &sheet));
}

}  // namespace
}  // namespace morvane_tool_test
