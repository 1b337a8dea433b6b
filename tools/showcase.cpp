// morvane showcase: every operation of the library drawn on built-in images, one labelled tile
// each, saved as one sheet.
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "font.h"
#include "host_image.h"
#include "morvane.h"
#include "operations.h"
#include "output_check.h"
#include "pictures.h"
#include "region.h"

namespace morvane_tool {
namespace {

constexpr char kHelp[] =
    "usage: morvane showcase [-o FILE]\n"
    "\n"
    "Draws every blend mode, every raster operation, sprites cut at each edge and ClipBlt\n"
    "through two regions, on built-in images, and writes the sheet to FILE as a BMP file\n"
    "(default showcase.bmp). Prints the file's path and the time each tile's blits took.\n"
    "This is what 'morvane' does when run without arguments.\n"
    "\n"
    "  -o, --output FILE  the BMP file to write\n"
    "  -h, --help         this text\n";

// Sheet layout, in pixels.
constexpr int32_t kTileW = 176, kTileH = 128;
constexpr int32_t kSpriteW = 128, kSpriteH = 96;
constexpr int32_t kSpriteX = (kTileW - kSpriteW) / 2, kSpriteY = (kTileH - kSpriteH) / 2;
constexpr int32_t kColumns = 7;
constexpr int32_t kMargin = 16, kGap = 12;
constexpr int32_t kLabelH = 31;  // caption, gap, name
constexpr int32_t kRowGap = 14;
constexpr int32_t kRowPitch = kTileH + kLabelH + kRowGap;
constexpr int32_t kTitleH = 75;

constexpr Bgra kPanel = {226, 222, 218, 255};
constexpr Bgra kMatte = {255, 255, 255, 255};
constexpr Bgra kInk = {48, 40, 36, 255};
constexpr Bgra kFaintInk = {120, 112, 106, 255};

// Region coordinates start at the corner the sprite is drawn at.
struct Scene {
  HostImage sprite;
  HostImage backdrop;
  RegionRecord ellipse;  // a flat ellipse across the sprite
  RegionRecord ring;
};

// One tile: what the sheet says under it, what the terminal says, and its library calls, which
// draw onto the tile and return the first result that is not BLT_DONE (or BLT_DONE).
struct Tile {
  std::string caption;
  std::string name;
  std::string call;
  bool on_backdrop;  // the tile starts as the backdrop, else transparent
  std::function<int32_t(const BitmapDesc* tile, const Scene& scene)> draw;
};

int32_t SpriteAt(const BitmapDesc* tile, const Scene& scene, int32_t x, int32_t y) {
  return BlendBlt(tile, x, y, kSpriteW, kSpriteH, scene.sprite.desc(), 0, 0, BLEND_NORMAL);
}

std::vector<Tile> MakeTiles() {
  std::vector<Tile> tiles;
  tiles.push_back({"INPUT", "DESTINATION", "BlendBlt of the backdrop onto an empty tile", false,
                   [](const BitmapDesc* tile, const Scene& scene) {
                     return BlendBlt(tile, 0, 0, kTileW, kTileH, scene.backdrop.desc(), 0, 0,
                                     BLEND_NORMAL);
                   }});
  tiles.push_back({"INPUT", "SOURCE", "BlendBlt of the sprite onto an empty tile", false,
                   [](const BitmapDesc* tile, const Scene& scene) {
                     return SpriteAt(tile, scene, kSpriteX, kSpriteY);
                   }});
  for (OpFamily family : {OpFamily::kBlend, OpFamily::kRop}) {
    int count;
    const Operation* ops = Operations(family, &count);
    for (int i = 0; i < count; ++i) {
      const Operation op = ops[i];
      const bool blend = family == OpFamily::kBlend;
      tiles.push_back({blend ? "BLENDBLT" : "ROPBLT", op.name,
                       std::string(blend ? "BlendBlt " : "RopBlt ") + op.name, true,
                       [op, blend](const BitmapDesc* tile, const Scene& scene) {
                         const auto blt = blend ? BlendBlt : RopBlt;
                         return blt(tile, kSpriteX, kSpriteY, kSpriteW, kSpriteH,
                                    scene.sprite.desc(), 0, 0, op.code);
                       }});
    }
  }
  struct Edge {
    const char* name;
    const char* side;
    int32_t x, y;
  };
  const Edge edges[] = {{"OFF LEFT", "left", -72, kSpriteY},
                        {"OFF TOP", "top", kSpriteX, -56},
                        {"OFF RIGHT", "right", kTileW - 56, kSpriteY},
                        {"OFF BOTTOM", "bottom", kSpriteX, kTileH - 40}};
  for (const Edge& e : edges) {
    tiles.push_back({"BLENDBLT AT " + std::to_string(e.x) + "," + std::to_string(e.y), e.name,
                     std::string("BlendBlt off the ") + e.side + " edge", true,
                     [e](const BitmapDesc* tile, const Scene& scene) {
                       return SpriteAt(tile, scene, e.x, e.y);
                     }});
  }
  tiles.push_back({"BLENDBLT X4", "OFF CORNERS", "BlendBlt off all four corners", true,
                   [](const BitmapDesc* tile, const Scene& scene) {
                     const int32_t xs[] = {-64, kTileW - 64}, ys[] = {-48, kTileH - 48};
                     for (int32_t x : xs) {
                       for (int32_t y : ys) {
                         const int32_t r = SpriteAt(tile, scene, x, y);
                         if (r != BLT_DONE) return r;
                       }
                     }
                     return int32_t{BLT_DONE};
                   }});
  tiles.push_back({"CLIPBLT", "ELLIPSE", "ClipBlt through an ellipse", true,
                   [](const BitmapDesc* tile, const Scene& scene) {
                     return ClipBlt(tile, kSpriteX, kSpriteY, kSpriteW, kSpriteH,
                                    scene.sprite.desc(), 0, 0, scene.ellipse.get());
                   }});
  tiles.push_back({"CLIPBLT", "RING", "ClipBlt through a ring", true,
                   [](const BitmapDesc* tile, const Scene& scene) {
                     return ClipBlt(tile, kSpriteX, kSpriteY, kSpriteW, kSpriteH,
                                    scene.sprite.desc(), 0, 0, scene.ring.get());
                   }});
  return tiles;
}

bool ParseShowcaseArgs(const std::vector<std::string>& argv, std::string* out, int* status) {
  if (AsksForHelp(argv)) {
    std::fputs(kHelp, stdout);
    *status = kExitOk;
    return false;
  }
  ArgReader reader(argv);
  while (!reader.Done()) {
    const std::string arg = reader.Next();
    if (arg != "-o" && arg != "--output") {
      *status = UsageError("showcase", reader.IsOption() ? "unknown option '" + arg + "'"
                                                         : "unexpected argument '" + arg + "'");
      return false;
    }
    if (!reader.Value(out) || out->empty()) {
      *status = UsageError("showcase", arg + " needs a file name");
      return false;
    }
  }
  if (!IsBmpName(*out)) {
    *status = UsageError("showcase", "the sheet is written as BMP: name it .bmp");
    return false;
  }
  return true;
}

std::string AbsolutePath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

}  // namespace

int RunShowcase(const std::vector<std::string>& argv) {
  std::string out = "showcase.bmp";
  int status = kExitOk;
  if (!ParseShowcaseArgs(argv, &out, &status)) return status;
  // The library saves only to UTF-8 names; better to say so before the work than after it.
  if (!IsValidUtf8(out)) return Fail(kExitFailure, CannotWrite(out, kNotUtf8));

  const std::vector<Tile> tiles = MakeTiles();
  const auto rows = static_cast<int32_t>((tiles.size() + kColumns - 1) / kColumns);
  const int32_t sheet_w = 2 * kMargin + kColumns * kTileW + (kColumns - 1) * kGap;
  const int32_t sheet_h = kTitleH + rows * kRowPitch - kRowGap + kMargin;
  const Box sprite_box = {0, 0, kSpriteW, kSpriteH};
  Scene scene{MakeSprite(kSpriteW, kSpriteH), MakeBackdrop(kTileW, kTileH),
              EllipseRegion({0, 14, kSpriteW, 68}, sprite_box),
              RingRegion({4, 0, kSpriteW - 8, kSpriteH}, {28, 20, 72, 56}, sprite_box)};
  HostImage sheet;
  if (scene.sprite.empty() || scene.backdrop.empty() || !sheet.Allocate(sheet_w, sheet_h, kPanel)) {
    return Fail(kExitFailure, "no memory below 4 GiB for the showcase's images");
  }
  DrawText(sheet, kMargin, kMargin, "MORVANE", 4, kInk);
  DrawText(sheet, kMargin, kMargin + 36,
           "EVERY BLEND MODE AND RASTER OPERATION, SPRITES CUT AT THE EDGES AND CLIPPED BLITS, "
           "DRAWN BY THE LIBRARY ONTO A CHECKERBOARD WHOSE ALPHA FADES TO THE RIGHT",
           1, kFaintInk);

  std::printf("morvane showcase: %zu tiles, each timed around its library calls\n", tiles.size());
  for (size_t i = 0; i < tiles.size(); ++i) {
    const Tile& t = tiles[i];
    HostImage tile;
    if (!tile.Allocate(kTileW, kTileH)) return Fail(kExitFailure, "no memory below 4 GiB");
    if (t.on_backdrop) {
      for (int32_t y = 0; y < kTileH; ++y) {
        for (int32_t x = 0; x < kTileW; ++x) tile.Set(x, y, scene.backdrop.Get(x, y));
      }
    }
    const auto start = std::chrono::steady_clock::now();
    const int32_t result = t.draw(tile.desc(), scene);
    const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
    if (result != BLT_DONE) {
      return Fail(kExitFailure, t.call + " returned " + std::to_string(result));
    }
    std::printf("  %-44s %9.1f us\n", t.call.c_str(), took.count());

    // The tile's own alpha shows against a white matte, laid on by the library too.
    const auto column = static_cast<int32_t>(i % kColumns),
               row = static_cast<int32_t>(i / kColumns);
    const int32_t x = kMargin + column * (kTileW + kGap), y = kTitleH + row * kRowPitch;
    FillRect(sheet, x, y, kTileW, kTileH, kMatte);
    BlendBlt(sheet.desc(), x, y, kTileW, kTileH, tile.desc(), 0, 0, BLEND_NORMAL);
    DrawText(sheet, x, y + kTileH + 6, t.caption.c_str(), 1, kFaintInk);
    DrawText(sheet, x, y + kTileH + 17, t.name.c_str(), 2, kInk);
  }

  const int32_t saved = SaveToBitmapA(out.c_str(), sheet.desc());
  if (saved == SAVE_BADFILE) {
    return Fail(kExitFailure, CannotWrite(out, WhyNotWritten(out, BmpFileBytes(sheet_w, sheet_h))));
  }
  if (saved != SAVE_DONE) return Fail(kExitFailure, CannotWrite(out, "no memory for the file"));
  std::printf("wrote %s (%d x %d)\n", AbsolutePath(out).c_str(), sheet_w, sheet_h);
  return kExitOk;
}

}  // namespace morvane_tool
