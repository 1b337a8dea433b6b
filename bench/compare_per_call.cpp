// Per call: what a blit costs before and around its pixels. A blit that fits to nothing, a single
// pixel, and rows 1 to 8 pixels wide (a w x 16 blit, reported per row), where the fixed work of a
// call and of a row outweighs the pixels. Everything stays in cache; every source alpha lies in
// between, so that each pixel takes the full merge.
#include "compare.h"

namespace morvane_bench {
namespace {

struct Shape {
  std::string name;
  int32_t x, w, h;
};

}  // namespace

void RunPerCall(const Options& o) {
  HostBitmap dst(64, 64), src(64, 64);
  std::mt19937 rng(3);
  FillDestination(dst, rng, true);
  FillDestination(src, rng, false);
  std::uniform_int_distribution<int> between(1, 254);
  for (size_t i = 3; i < src.buffer_bytes(); i += 4) src.buffer()[i] = uint8_t(between(rng));

  std::vector<Shape> shapes = {{"fits to nothing (x beyond the destination)", 1000, 8, 8},
                               {"1 x 1", 0, 1, 1}};
  for (int32_t w = 1; w <= 8; ++w) shapes.push_back({std::to_string(w) + " x 16", 0, w, 16});

  // BLEND_NORMAL on the level measured and on each level below it, in the same turns, so that the
  // levels compare directly; RopBlt SRCCOPY on the level measured.
  std::vector<SimdLevel> levels;
  for (int l = int(o.level); l >= int(SimdLevel::kSse2); --l) levels.push_back(SimdLevel(l));
  const size_t columns = levels.size() + 1;
  std::vector<Contender> all;
  for (const Shape& shape : shapes) {
    // Each call at another place, as a host's sprites land: calls on one pixel after another
    // would each wait for the one before to store it.
    for (SimdLevel level : levels) {
      all.emplace_back(shape.name, level, [&dst, &src, shape](size_t turn) {
        const int32_t x = shape.x + int32_t(turn * 7 % 48), y = int32_t(turn * 13 % 48);
        BlendBlt(dst.desc(), x, y, shape.w, shape.h, src.desc(), 0, 0, BLEND_NORMAL);
      });
    }
    all.emplace_back(shape.name, o.level, [&dst, &src, shape](size_t turn) {
      const int32_t x = shape.x + int32_t(turn * 7 % 48), y = int32_t(turn * 13 % 48);
      RopBlt(dst.desc(), x, y, shape.w, shape.h, src.desc(), 0, 0, SRCCOPY);
    });
  }
  MeasureInTurns(all, o);

  std::printf("### Per call\n\n");
  std::printf(
      "Nanoseconds per call (per row for the w x 16 blits), onto an opaque destination, every "
      "source alpha in between; BLEND_NORMAL on each vector level, RopBlt SRCCOPY on %s.\n\n",
      o.Shown(morvane::SimdLevelName(o.level)).c_str());
  std::vector<std::string> header = {"blit", "per"};
  for (SimdLevel level : levels) {
    header.push_back(std::string("BlendBlt ") + morvane::SimdLevelName(level) + " ns");
  }
  header.push_back("RopBlt SRCCOPY ns");
  Table table(header, "ll" + std::string(columns, 'r'));
  for (size_t i = 0; i < shapes.size(); ++i) {
    const int32_t rows = shapes[i].h == 16 ? 16 : 1;
    const double pixels = double(shapes[i].x == 0 ? shapes[i].w * shapes[i].h : 0);
    std::vector<std::string> cells = {shapes[i].name, rows == 16 ? "row" : "call"};
    for (size_t c = 0; c < columns; ++c) {
      const double seconds = all[columns * i + c].Median();
      cells.push_back(Fixed(seconds / rows * 1e9, 1));
      const bool rop = c == levels.size();
      CsvRow(o, "per-call", rop ? "RopBlt SRCCOPY" : "BlendBlt BLEND_NORMAL",
             morvane::SimdLevelName(rop ? o.level : levels[c]), shapes[i].name, "opaque", seconds,
             pixels / seconds / 1e6);
    }
    table.Add(cells);
  }
  table.Print();
}

}  // namespace morvane_bench
