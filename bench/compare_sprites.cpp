// Sprites: real icons (the PNGs of Debian's adwaita-icon-theme at 16, 32 and 64 pixels), 2000 per
// frame at random places on an opaque 1920 x 1080 screen, some hanging off each edge, one call per
// sprite, as a game or a user interface draws them. Beside BlendBlt and RopBlt: pixman's OVER (of
// a premultiplied copy of each icon, as pixman expects) and SDL's alpha blit.
#include <pixman.h>

#include <cstring>

#include "compare_icons.h"

namespace morvane_bench {
namespace {

// The screen every contender draws on, where it can. Each sample is one contender drawing whole
// frames, or many slices of them, so the screen is as warm for each as it would be alone. With a
// copy each, the contenders were compared also on where their copies lay in memory: the same blits
// ran up to two fifths slower on one 8 MB copy than on another. pixman's OVER keeps an opaque
// screen opaque (its premultiplied colours are then the same bytes as ours). A peer whose blend
// lowers alpha bytes there (SDL2's, to 240) draws on a copy of its own, or it would send our blits
// down the merge for a layer with alpha: Share() finds out with one untimed frame.
struct Screen {
  HostBitmap host;
  pixman_image_t* pixman;
  std::vector<Pixels> sdl_copies;
  std::vector<void*> sdl;
  std::vector<bool> shared;

  explicit Screen(const std::vector<const SdlPeer*>& peers) : host(kScreenWidth, kScreenHeight) {
    std::mt19937 rng(5);
    FillDestination(host, rng, true);
    pixman = pixman_image_create_bits(PIXMAN_a8r8g8b8, kScreenWidth, kScreenHeight,
                                      reinterpret_cast<uint32_t*>(host.buffer()), kScreenWidth * 4);
    for (const SdlPeer* peer : peers) {
      sdl_copies.emplace_back(size_t(kScreenWidth) * kScreenHeight);
      std::memcpy(sdl_copies.back().bytes(), host.buffer(), host.buffer_bytes());
      sdl.push_back(peer->Wrap(sdl_copies.back().bytes(), kScreenWidth, kScreenHeight));
      shared.push_back(false);
    }
  }
  // Peer p moves to the shared screen if its copy is still opaque after `draw` (a frame on it).
  void Share(const SdlPeer& peer, size_t p, const std::function<void()>& draw) {
    draw();
    const uint8_t* bytes = sdl_copies[p].bytes();
    for (size_t i = 3; i < host.buffer_bytes(); i += 4) {
      if (bytes[i] != 255) return;
    }
    peer.Free(sdl[p]);
    sdl[p] = peer.Wrap(host.buffer(), kScreenWidth, kScreenHeight);
    shared[p] = true;
  }
  ~Screen() {
    pixman_image_unref(pixman);
    const std::vector<const SdlPeer*> peers = SdlPeers();
    for (size_t p = 0; p < peers.size(); ++p) peers[p]->Free(sdl[p]);
  }
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;
};

void MeasureSprites(const Options& o, int32_t size, const Icons& icons, Table& table) {
  const std::vector<const SdlPeer*> peers = SdlPeers();
  Screen screen(peers);
  double pixels = 0;
  const std::vector<Sprite> sprites = PlaceSprites(icons, size, &pixels);

  // A call draws one slice of the frame, every contender going through the slices in the same
  // order: short calls, so that a sample another process interrupts is one of many.
  std::vector<Contender> all;
  auto add = [&all, &sprites](const std::string& label, SimdLevel level,
                              std::function<void(const Sprite&)> draw) {
    all.emplace_back(label, level, [&sprites, draw, next = size_t(0)](size_t) mutable {
      const size_t first = next++ % (kSprites / kSlice) * kSlice;
      for (size_t i = first; i < first + kSlice; ++i) draw(sprites[i]);
    });
  };
  add("BlendBlt BLEND_NORMAL", o.level, [&](const Sprite& s) {
    BlendBlt(screen.host.desc(), s.x, s.y, size, size, s.icon->host.desc(), 0, 0, BLEND_NORMAL);
  });
  const MorvaneImage screen_image = ImageOf(screen.host);
  add("morvane_blend BLEND_NORMAL", o.level, [&](const Sprite& s) {
    const MorvaneImage icon = ImageOf(s.icon->host);
    morvane_blend(&screen_image, s.x, s.y, size, size, &icon, 0, 0, BLEND_NORMAL);
  });
  if (!o.normal_only) {
    add("RopBlt SRCCOPY", o.level, [&](const Sprite& s) {
      RopBlt(screen.host.desc(), s.x, s.y, size, size, s.icon->host.desc(), 0, 0, SRCCOPY);
    });
  }
  const size_t first_peer = all.size();
  add("pixman OVER (premultiplied)", morvane::kTopSimdLevel, [&](const Sprite& s) {
    pixman_image_composite32(PIXMAN_OP_OVER, s.icon->pixman, nullptr, screen.pixman, 0, 0, 0, 0,
                             s.x, PeerY(s, size), size, size);
  });
  for (size_t p = 0; p < peers.size(); ++p) {
    auto draw = [&, p](const Sprite& s) {
      peers[p]->Blit(s.icon->sdl[p], screen.sdl[p], s.x, PeerY(s, size));
    };
    screen.Share(*peers[p], p, [&] {
      for (const Sprite& s : sprites) draw(s);
    });
    add(std::string(peers[p]->name()) + " BlitSurface BLEND" +
            (screen.shared[p] ? "" : " (own copy)"),
        morvane::kTopSimdLevel, draw);
  }
  MeasureInTurns(all, o);

  const double slice_pixels = pixels / (kSprites / kSlice);
  auto rate = [slice_pixels](const Contender& c) { return slice_pixels / c.Median() / 1e6; };
  for (size_t i = 0; i < all.size(); ++i) {
    const Contender& c = all[i];
    const std::string walk = i < first_peer ? morvane::SimdLevelName(o.level) : "-";
    const double mpix = rate(c);
    std::vector<std::string> cells = {c.label, o.Shown(walk), std::to_string(size),
                                      Fixed(c.Median() / kSlice * 1e9, 0), Fixed(mpix, 0)};
    for (size_t k = first_peer; k < all.size(); ++k) cells.push_back(Ratio(mpix, rate(all[k])));
    table.Add(cells);
    CsvRow(o, "sprites", c.label, walk, std::to_string(size), "opaque", c.Median() / kSlice, mpix);
  }
}

}  // namespace

void RunSprites(const Options& o) {
  std::printf("### Sprites\n\n");
  std::string found, why;
  const std::vector<Icons> icons = LoadIconSets(&found, &why);
  if (icons.empty()) {
    std::printf("Left out: %s.\n\n", why.c_str());
    return;
  }
  std::printf(
      "%zu sprites per frame at random places (some hanging off each edge) on an opaque %d x %d "
      "screen, one call per sprite, timed %zu sprites at a time; icons with alpha from %s (%s). "
      "Mpix/s counts the pixels that land on the screen; ratios are of speeds.\n\n",
      kSprites, kScreenWidth, kScreenHeight, kSlice, kIconTheme, found.c_str());
  std::vector<std::string> headers = {"contender", "walk",   "icon",
                                      "ns/sprite", "Mpix/s", "/pixman"};
  for (const SdlPeer* peer : SdlPeers()) headers.push_back(std::string("/") + peer->name());
  Table table(headers, "ll" + std::string(headers.size() - 2, 'r'));
  for (size_t i = 0; i < icons.size(); ++i) {
    if (!icons[i].empty()) MeasureSprites(o, kIconSizes[i], icons[i], table);
  }
  table.Print();
}

}  // namespace morvane_bench
