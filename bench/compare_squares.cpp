// Squares: every blend mode and raster operation through the exports, on a square that stays in
// cache (256) and on squares that do not (2048, rotating over four scenes so that each blit reads
// cold memory), onto an opaque destination and onto one with random alpha per pixel. Beside them:
// the same blit on the scalar reference walk, BLEND_NORMAL on each lower vector level, pixman's
// OVER of a8r8g8b8 onto a8r8g8b8, SDL's alpha blit, and the memory floor.
#include <pixman.h>

#include <cstdlib>
#include <cstring>

#include "compare.h"

namespace morvane_bench {
namespace {

// One scene. Each peer draws on its own copy of the destination: the peers keep alphas in other
// ways (SDL's blend, for one, takes an opaque destination below 255, which would change the path
// our walks take), and each must meet the scene it was given. Our bytes blue, green, red, alpha
// are pixman's a8r8g8b8 and SDL's ARGB8888 on a little-endian machine; the host's bottom-up rows
// do not matter to a blit of the whole square.
struct Square {
  HostBitmap src, dst;
  Pixels original;  // the destination as made, put back after each call where alphas vary
  Pixels pixman_copy;
  std::vector<Pixels> sdl_copies;
  pixman_image_t* pixman_src;
  pixman_image_t* pixman_dst;
  std::vector<void*> sdl_src, sdl_dst;

  Square(int32_t size, uint32_t seed, bool opaque, const std::vector<const SdlPeer*>& peers)
      : src(size, size),
        dst(size, size),
        original(size_t(size) * size),
        pixman_copy(size_t(size) * size) {
    std::mt19937 rng(seed);
    FillSpriteAlphas(src, rng);
    FillDestination(dst, rng, opaque);
    std::memcpy(original.bytes(), dst.buffer(), dst.buffer_bytes());
    std::memcpy(pixman_copy.bytes(), dst.buffer(), dst.buffer_bytes());
    auto* s = reinterpret_cast<uint32_t*>(src.buffer());
    pixman_src = pixman_image_create_bits(PIXMAN_a8r8g8b8, size, size, s, size * 4);
    pixman_dst =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, size, size, pixman_copy.words(), size * 4);
    for (const SdlPeer* peer : peers) {
      sdl_copies.emplace_back(size_t(size) * size);
      std::memcpy(sdl_copies.back().bytes(), dst.buffer(), dst.buffer_bytes());
      sdl_src.push_back(peer->Wrap(src.buffer(), size, size));
      sdl_dst.push_back(peer->Wrap(sdl_copies.back().bytes(), size, size));
    }
  }
  ~Square() {
    pixman_image_unref(pixman_src);
    pixman_image_unref(pixman_dst);
    const std::vector<const SdlPeer*> peers = SdlPeers();
    for (size_t p = 0; p < peers.size(); ++p) {
      peers[p]->Free(sdl_src[p]);
      peers[p]->Free(sdl_dst[p]);
    }
  }
  Square(const Square&) = delete;
  Square& operator=(const Square&) = delete;
};

struct Row {
  const char* name;
  uint32_t code;
  bool blend;
};

const Row kRows[] = {
    {"BlendBlt BLEND_NORMAL", BLEND_NORMAL, true},
    {"BlendBlt BLEND_ADD", BLEND_ADD, true},
    {"BlendBlt BLEND_SUBTRACT", BLEND_SUBTRACT, true},
    {"BlendBlt BLEND_MULTIPLY", BLEND_MULTIPLY, true},
    {"BlendBlt BLEND_BRIGHTEN", BLEND_BRIGHTEN, true},
    {"RopBlt SRCCOPY", SRCCOPY, false},
    {"RopBlt SRCPAINT", SRCPAINT, false},
    {"RopBlt SRCAND", SRCAND, false},
    {"RopBlt SRCINVERT", SRCINVERT, false},
    {"RopBlt SRCERASE", SRCERASE, false},
    {"RopBlt NOTSRCCOPY", NOTSRCCOPY, false},
    {"RopBlt NOTSRCERASE", NOTSRCERASE, false},
};

// BLEND_NORMAL through the ordinary-buffer API, on the same bytes as the exports' first row.
const char kImageRow[] = "morvane_blend BLEND_NORMAL";

void Blit(const Row& row, Square& s) {
  const int32_t n = s.dst.width();
  if (row.blend) {
    BlendBlt(s.dst.desc(), 0, 0, n, n, s.src.desc(), 0, 0, row.code);
  } else {
    RopBlt(s.dst.desc(), 0, 0, n, n, s.src.desc(), 0, 0, row.code);
  }
}

// Measures every contender on squares of one size onto one kind of destination and adds their
// rows to the table.
void MeasureSquares(const Options& o, int32_t size, bool opaque, Table& table) {
  const std::vector<const SdlPeer*> peers = SdlPeers();
  // Several large scenes, so that each blit of one finds the others' bytes evicted.
  std::vector<std::unique_ptr<Square>> scenes;
  const int count = size == 256 ? 1 : 4;
  for (int i = 0; i < count; ++i) {
    scenes.push_back(std::make_unique<Square>(size, 17 + i, opaque, peers));
  }
  auto scene = [&scenes](size_t turn) -> Square& { return *scenes[turn % scenes.size()]; };
  const size_t bytes = scenes[0]->dst.buffer_bytes();

  // Our blits keep an opaque destination opaque; where alphas vary, every blit (ours and the
  // peers') would raise them for the next, so each call's destination is put back after it,
  // out of cache when the scenes are meant to be cold.
  std::vector<Contender> all;
  auto add = [&](const std::string& label, SimdLevel level, std::function<void(Square&)> draw,
                 std::function<uint8_t*(Square&)> target) {
    Contender c(label, level, [scene, draw](size_t turn) { draw(scene(turn)); });
    if (!opaque) {
      const bool cold = count > 1;
      c.restore = [scene, target, bytes, cold](size_t turn) {
        Square& s = scene(turn);
        CopyPixels(target(s), s.original.bytes(), bytes, cold);
      };
    }
    all.push_back(std::move(c));
  };
  auto ours = [](Square& s) { return s.dst.buffer(); };

  add(
      "memory floor", morvane::kTopSimdLevel,
      [bytes](Square& s) { MemoryFloor(s.dst.buffer(), s.src.buffer(), bytes); }, ours);
  add(
      "pixman OVER 8888/8888", morvane::kTopSimdLevel,
      [size](Square& s) {
        pixman_image_composite32(PIXMAN_OP_OVER, s.pixman_src, nullptr, s.pixman_dst, 0, 0, 0, 0, 0,
                                 0, size, size);
      },
      [](Square& s) { return s.pixman_copy.bytes(); });
  for (size_t p = 0; p < peers.size(); ++p) {
    const SdlPeer* peer = peers[p];
    add(
        std::string(peer->name()) + " BlitSurface BLEND", morvane::kTopSimdLevel,
        [peer, p](Square& s) { peer->Blit(s.sdl_src[p], s.sdl_dst[p], 0, 0); },
        [p](Square& s) { return s.sdl_copies[p].bytes(); });
  }
  const size_t rows = o.normal_only ? 1 : std::size(kRows);
  for (size_t r = 0; r < rows; ++r) {
    const Row& row = kRows[r];
    auto draw = [&row](Square& s) { Blit(row, s); };
    add(row.name, o.level, draw, ours);
    add(row.name, SimdLevel::kScalar, draw, ours);
    if (r != 0) continue;
    add(
        kImageRow, o.level,
        [](Square& s) {
          const int32_t n = s.dst.width();
          const MorvaneImage dst = ImageOf(s.dst), src = ImageOf(s.src);
          morvane_blend(&dst, 0, 0, n, n, &src, 0, 0, BLEND_NORMAL);
        },
        ours);
    for (int l = int(o.level) - 1; l > int(SimdLevel::kScalar); --l) {
      add(row.name, SimdLevel(l), draw, ours);
    }
  }
  MeasureInTurns(all, o);

  const double pixels = double(size) * size;
  auto rate = [pixels](const Contender& c) { return pixels / c.Median() / 1e6; };
  auto find = [&all](const std::string& label, SimdLevel level) -> const Contender& {
    for (const Contender& c : all) {
      if (c.label == label && c.level == level) return c;
    }
    std::abort();
  };
  const double floor = rate(all[0]), pixman = rate(all[1]);
  const std::string destination = opaque ? "opaque" : "alpha";
  auto report = [&](const Contender& c, const std::string& walk, double scalar) {
    const double mpix = rate(c);
    std::vector<std::string> cells = {
        c.label,        o.Shown(walk),       std::to_string(size), destination,
        Fixed(mpix, 0), Ratio(mpix, scalar), Ratio(mpix, pixman)};
    for (size_t p = 0; p < peers.size(); ++p) cells.push_back(Ratio(mpix, rate(all[2 + p])));
    cells.push_back(Ratio(mpix, floor));
    table.Add(cells);
    CsvRow(o, "squares", c.label, walk, std::to_string(size), destination, c.Median(), mpix);
  };
  for (size_t r = 0; r < rows; ++r) {
    const Contender& scalar = find(kRows[r].name, SimdLevel::kScalar);
    report(find(kRows[r].name, o.level), morvane::SimdLevelName(o.level), rate(scalar));
    if (r != 0) continue;
    report(find(kImageRow, o.level), morvane::SimdLevelName(o.level), rate(scalar));
    for (int l = int(o.level) - 1; l > int(SimdLevel::kScalar); --l) {
      report(find(kRows[r].name, SimdLevel(l)), morvane::SimdLevelName(SimdLevel(l)), rate(scalar));
    }
    report(scalar, morvane::SimdLevelName(SimdLevel::kScalar), rate(scalar));
  }
  for (size_t p = 0; p < peers.size(); ++p) report(all[2 + p], "-", 0);
  report(all[1], "-", 0);
  report(all[0], MemoryFloorKind(), 0);
}

}  // namespace

void RunSquares(const Options& o) {
  std::printf("### Squares\n\n");
  std::printf(
      "Megapixels per second of one blit of the whole square; sources have per pixel 40 %% clear, "
      "30 %% opaque and 30 %% in-between alphas. The destination is opaque, or has random alpha "
      "per pixel (put back after every call). 2048 rotates over four scenes so that every blit "
      "reads cold memory. Ratios are of speeds; /scalar is the same blit on the reference walk. "
      "The memory floor reads source and destination and writes the destination.\n\n");
  std::vector<std::string> headers = {"kernel", "walk",    "size",   "destination",
                                      "Mpix/s", "/scalar", "/pixman"};
  for (const SdlPeer* peer : SdlPeers()) headers.push_back(std::string("/") + peer->name());
  headers.push_back("/floor");
  Table table(headers, "llrl" + std::string(headers.size() - 4, 'r'));
  for (int32_t size : {256, 2048}) {
    for (bool opaque : {true, false}) MeasureSquares(o, size, opaque, table);
  }
  table.Print();
}

}  // namespace morvane_bench
