// ClipBlt: rectangles out of a 4096 x 4096 sheet of mixed alphas through regions given as region
// records, beside RopBlt SRCCOPY on the whole rectangle (what the region saves or costs) and
// pixman's OVER under the same region set as the destination's clip. Ellipses of 128 and 512
// rows; a 32 x 32 sprite through a 32-row ellipse, from mixed and from opaque pixels; and 2000
// small rectangles scattered over a 256 x 256 blit, as glyphs are.
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "compare.h"

namespace morvane_bench {
namespace {

constexpr int32_t kSheet = 4096, kScreen = 1024;
constexpr int32_t kOpaqueAt = 3000, kOpaqueSize = 64;  // a block of the sheet with alpha 255

// One rectangle per row of an ellipse inscribed in w x h, region point (0, 0) at its corner.
std::vector<MorvaneRgnRect> Ellipse(int32_t w, int32_t h) {
  std::vector<MorvaneRgnRect> rects;
  for (int32_t i = 0; i < h; ++i) {
    const double dy = (i + 0.5 - h / 2.0) / (h / 2.0);
    const double half = w / 2.0 * std::sqrt(std::max(0.0, 1 - dy * dy));
    rects.push_back(
        {int32_t(std::lround(w / 2.0 - half)), i, int32_t(std::lround(w / 2.0 + half)), i + 1});
  }
  return rects;
}

// `count` rectangles of 1-12 columns and 1-4 rows anywhere inside size x size, overlapping as
// they fall.
std::vector<MorvaneRgnRect> Glyphs(int32_t size, int count) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int32_t> width(1, 12), height(1, 4);
  std::vector<MorvaneRgnRect> rects;
  for (int i = 0; i < count; ++i) {
    const int32_t w = width(rng), h = height(rng);
    const int32_t left = std::uniform_int_distribution<int32_t>(0, size - w)(rng);
    const int32_t top = std::uniform_int_distribution<int32_t>(0, size - h)(rng);
    rects.push_back({left, top, left + w, top + h});
  }
  return rects;
}

struct Case {
  std::string name;
  int32_t x, y, w, h, sx, sy;
  std::vector<MorvaneRgnRect> rects;
};

// The region record ClipBlt reads: a header, then the rectangles.
std::vector<uint32_t> Record(const std::vector<MorvaneRgnRect>& rects) {
  std::vector<uint32_t> words(8 + 4 * rects.size());
  const uint32_t count = uint32_t(rects.size());
  words[0] = 32, words[1] = 1, words[2] = count, words[3] = count * 16;
  std::memcpy(&words[8], rects.data(), rects.size() * sizeof(MorvaneRgnRect));
  return words;
}

// How many pixels of the w x h rectangle the region covers.
size_t Covered(const Case& c) {
  std::vector<char> inside(size_t(c.w) * c.h, 0);
  for (const MorvaneRgnRect& r : c.rects) {
    for (int32_t y = std::max(r.top, 0); y < std::min(r.bottom, c.h); ++y) {
      for (int32_t x = std::max(r.left, 0); x < std::min(r.right, c.w); ++x) {
        inside[size_t(y) * c.w + x] = 1;
      }
    }
  }
  return size_t(std::count(inside.begin(), inside.end(), 1));
}

}  // namespace

void RunClipBlt(const Options& o) {
  HostBitmap sheet(kSheet, kSheet), screen(kScreen, kScreen);
  std::mt19937 rng(9);
  FillSpriteAlphas(sheet, rng);
  for (int32_t y = kOpaqueAt; y < kOpaqueAt + kOpaqueSize; ++y) {
    for (int32_t x = kOpaqueAt; x < kOpaqueAt + kOpaqueSize; ++x) {
      morvane_test::Pixel p = sheet.Get(x, y);
      p.a = 255;
      sheet.Set(x, y, p);
    }
  }
  FillDestination(screen, rng, true);
  // pixman draws on its own copy of the opaque screen; ClipBlt and RopBlt keep theirs opaque.
  // It reads the sheet's own bytes: premultiplied or not, OVER takes the same path for them.
  Pixels pixman_screen(size_t(kScreen) * kScreen);
  std::memcpy(pixman_screen.bytes(), screen.buffer(), screen.buffer_bytes());
  pixman_image_t* pixman_sheet = pixman_image_create_bits(
      PIXMAN_a8r8g8b8, kSheet, kSheet, reinterpret_cast<uint32_t*>(sheet.buffer()), kSheet * 4);

  const std::vector<Case> cases = {
      {"ellipse 128 x 128", 64, 64, 128, 128, 1000, 1000, Ellipse(128, 128)},
      {"ellipse 512 x 512", 256, 256, 512, 512, 1500, 1500, Ellipse(512, 512)},
      {"sprite 32 x 32, mixed alpha", 500, 500, 32, 32, 2000, 2000, Ellipse(32, 32)},
      {"sprite 32 x 32, opaque", 500, 500, 32, 32, kOpaqueAt, kOpaqueAt, Ellipse(32, 32)},
      {"2000 glyph rectangles over 256 x 256", 700, 700, 256, 256, 2500, 2500, Glyphs(256, 2000)},
  };

  std::printf("### ClipBlt\n\n");
  std::printf(
      "Rectangles out of a %d x %d sheet (per pixel 40 %% clear, 30 %% opaque, 30 %% in "
      "between) onto an opaque screen through region records; pixman's OVER draws under the same "
      "rectangles set as its destination's clip region, RopBlt SRCCOPY copies the whole "
      "rectangle. Nanoseconds per call; ClipBlt's speed over pixman's counts the pixels inside "
      "the region.\n\n",
      kSheet, kSheet);
  Table table({"case", "rects", "pixels", "ClipBlt ns", "RopBlt ns", "pixman ns",
               "ClipBlt/RopBlt time", "ClipBlt/pixman speed"},
              "lrrrrrrr");
  for (const Case& c : cases) {
    const std::vector<uint32_t> record = Record(c.rects);
    const MorvaneRegion region = reinterpret_cast<MorvaneRegion>(record.data());
    // The peer sees the host's bottom-up rows as top-down, so its region, source and destination
    // are mirrored: it covers the same bytes as ours.
    std::vector<pixman_box32_t> boxes;
    for (const MorvaneRgnRect& r : c.rects) {
      boxes.push_back(
          {c.x + r.left, kScreen - c.y - r.bottom, c.x + r.right, kScreen - c.y - r.top});
    }
    pixman_region32_t clip;
    pixman_region32_init_rects(&clip, boxes.data(), int(boxes.size()));
    pixman_image_t* pixman_dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kScreen, kScreen,
                                                          pixman_screen.words(), kScreen * 4);
    pixman_image_set_clip_region32(pixman_dst, &clip);
    pixman_region32_fini(&clip);

    std::vector<Contender> all;
    all.emplace_back("ClipBlt", o.level, [&](size_t) {
      ClipBlt(screen.desc(), c.x, c.y, c.w, c.h, sheet.desc(), c.sx, c.sy, region);
    });
    all.emplace_back("RopBlt SRCCOPY", o.level, [&](size_t) {
      RopBlt(screen.desc(), c.x, c.y, c.w, c.h, sheet.desc(), c.sx, c.sy, SRCCOPY);
    });
    all.emplace_back("pixman OVER clipped", morvane::kTopSimdLevel, [&](size_t) {
      pixman_image_composite32(PIXMAN_OP_OVER, pixman_sheet, nullptr, pixman_dst, c.sx,
                               kSheet - c.sy - c.h, 0, 0, c.x, kScreen - c.y - c.h, c.w, c.h);
    });
    MeasureInTurns(all, o);
    pixman_image_unref(pixman_dst);

    const double covered = double(Covered(c)), whole = double(c.w) * c.h;
    const double clip_s = all[0].Median(), rop_s = all[1].Median(), pixman_s = all[2].Median();
    table.Add({c.name, std::to_string(c.rects.size()), std::to_string(size_t(covered)),
               Fixed(clip_s * 1e9, 0), Fixed(rop_s * 1e9, 0), Fixed(pixman_s * 1e9, 0),
               Ratio(clip_s, rop_s), Ratio(pixman_s, clip_s)});
    const std::string walk = morvane::SimdLevelName(o.level);
    CsvRow(o, "clipblt", "ClipBlt", walk, c.name, "opaque", clip_s, covered / clip_s / 1e6);
    CsvRow(o, "clipblt", "RopBlt SRCCOPY", walk, c.name, "opaque", rop_s, whole / rop_s / 1e6);
    CsvRow(o, "clipblt", "pixman OVER clipped", "-", c.name, "opaque", pixman_s,
           covered / pixman_s / 1e6);
  }
  pixman_image_unref(pixman_sheet);
  table.Print();
}

}  // namespace morvane_bench
