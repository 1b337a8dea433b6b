// Sprites: real icons (the PNGs of Debian's adwaita-icon-theme at 16, 32 and 64 pixels), 2000 per
// frame at random places on an opaque 1920 x 1080 screen, some hanging off each edge, one call per
// sprite, as a game or a user interface draws them. Beside BlendBlt and RopBlt: pixman's OVER (of
// a premultiplied copy of each icon, as pixman expects) and SDL's alpha blit.
#include <pixman.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "compare.h"

#if !defined(MORVANE_BENCH_STB)
#define MORVANE_BENCH_STB 0
#endif  // !MORVANE_BENCH_STB

#if MORVANE_BENCH_STB
#include <stb_image.h>
#endif  // MORVANE_BENCH_STB

namespace morvane_bench {
namespace {

constexpr int32_t kScreenWidth = 1920, kScreenHeight = 1080;
constexpr size_t kSprites = 2000, kSlice = 250;
constexpr size_t kIconsPerSize = 256;
const char kIconTheme[] = "/usr/share/icons/Adwaita";

// The host's bitmap and each peer's view of one icon. The peers see the host's bottom-up rows as
// top-down ones, so they draw every sprite mirrored at the mirrored place: the same bytes as ours.
struct Icon {
  HostBitmap host;
  Pixels premultiplied;
  pixman_image_t* pixman;
  std::vector<void*> sdl;

  // `rgba` as stb_image gives it: rows top-down, bytes red, green, blue, alpha.
  Icon(int32_t size, const uint8_t* rgba, const std::vector<const SdlPeer*>& peers)
      : host(size, size), premultiplied(size_t(size) * size) {
    for (int32_t y = 0; y < size; ++y) {
      for (int32_t x = 0; x < size; ++x) {
        const uint8_t* p = rgba + (size_t(y) * size + x) * 4;
        host.Set(x, y, {p[2], p[1], p[0], p[3]});
      }
    }
    const uint8_t* from = host.buffer();
    uint8_t* to = premultiplied.bytes();
    for (size_t i = 0; i < host.buffer_bytes(); i += 4) {
      for (int c = 0; c < 3; ++c) to[i + c] = uint8_t((from[i + c] * from[i + 3] + 127) / 255);
      to[i + 3] = from[i + 3];
    }
    pixman = pixman_image_create_bits(PIXMAN_a8r8g8b8, size, size, premultiplied.words(), size * 4);
    for (const SdlPeer* peer : peers) sdl.push_back(peer->Wrap(host.buffer(), size, size));
  }
  ~Icon() {
    pixman_image_unref(pixman);
    const std::vector<const SdlPeer*> peers = SdlPeers();
    for (size_t p = 0; p < peers.size(); ++p) peers[p]->Free(sdl[p]);
  }
  Icon(const Icon&) = delete;
  Icon& operator=(const Icon&) = delete;
};

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

#if MORVANE_BENCH_STB

// The icons of one size that are not wholly opaque, in path order; when there are more than
// kIconsPerSize, every k-th of them, so that every folder of the theme has its share.
std::vector<std::unique_ptr<Icon>> LoadIcons(int32_t size, size_t* with_alpha) {
  namespace fs = std::filesystem;
  const fs::path folder =
      fs::path(kIconTheme) / (std::to_string(size) + "x" + std::to_string(size));
  std::vector<fs::path> paths;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    if (it->path().extension() == ".png") paths.push_back(it->path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::vector<uint8_t>> images;
  for (const fs::path& path : paths) {
    int w = 0, h = 0, channels = 0;
    stbi_uc* rgba = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (rgba == nullptr) continue;
    const size_t bytes = size_t(w) * size_t(h) * 4;
    bool alpha = false;
    for (size_t i = 3; i < bytes && !alpha; i += 4) alpha = rgba[i] != 255;
    if (w == size && h == size && alpha) images.emplace_back(rgba, rgba + bytes);
    stbi_image_free(rgba);
  }
  *with_alpha = images.size();
  const std::vector<const SdlPeer*> peers = SdlPeers();
  std::vector<std::unique_ptr<Icon>> icons;
  const size_t count = std::min(images.size(), kIconsPerSize);
  for (size_t i = 0; i < count; ++i) {
    icons.push_back(std::make_unique<Icon>(size, images[i * images.size() / count].data(), peers));
  }
  return icons;
}

#else

std::vector<std::unique_ptr<Icon>> LoadIcons(int32_t, size_t* with_alpha) {
  *with_alpha = 0;
  return {};
}

#endif  // MORVANE_BENCH_STB

struct Sprite {
  const Icon* icon;
  int32_t x, y;
};

// One frame's sprites, anywhere from just off the left or top edge to just off the right or
// bottom one; and how many of their pixels land on the screen.
std::vector<Sprite> PlaceSprites(const std::vector<std::unique_ptr<Icon>>& icons, int32_t size,
                                 double* visible_pixels) {
  std::mt19937 rng(static_cast<uint32_t>(size));
  std::uniform_int_distribution<size_t> pick(0, icons.size() - 1);
  std::uniform_int_distribution<int32_t> x(1 - size, kScreenWidth - 1),
      y(1 - size, kScreenHeight - 1);
  std::vector<Sprite> sprites;
  *visible_pixels = 0;
  for (size_t i = 0; i < kSprites; ++i) {
    const Sprite s = {icons[pick(rng)].get(), x(rng), y(rng)};
    const int32_t w = std::min(s.x + size, kScreenWidth) - std::max(s.x, 0);
    const int32_t h = std::min(s.y + size, kScreenHeight) - std::max(s.y, 0);
    *visible_pixels += double(w) * h;
    sprites.push_back(s);
  }
  return sprites;
}

void MeasureSprites(const Options& o, int32_t size, const std::vector<std::unique_ptr<Icon>>& icons,
                    Table& table) {
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
                             s.x, kScreenHeight - s.y - size, size, size);
  });
  for (size_t p = 0; p < peers.size(); ++p) {
    auto draw = [&, p](const Sprite& s) {
      peers[p]->Blit(s.icon->sdl[p], screen.sdl[p], s.x, kScreenHeight - s.y - size);
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
  if (!MORVANE_BENCH_STB) {
    std::printf("Left out: the bench was built without stb_image (libstb-dev) to read icons.\n\n");
    return;
  }
  std::vector<std::vector<std::unique_ptr<Icon>>> icons;
  std::string found;
  for (int32_t size : {16, 32, 64}) {
    size_t with_alpha = 0;
    icons.push_back(LoadIcons(size, &with_alpha));
    found += (found.empty() ? "" : ", ") + std::to_string(icons.back().size()) + " of " +
             std::to_string(with_alpha) + " at " + std::to_string(size);
  }
  if (icons[0].empty() && icons[1].empty() && icons[2].empty()) {
    std::printf("Left out: no PNG icons with alpha under %s (Debian's adwaita-icon-theme).\n\n",
                kIconTheme);
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
  const int32_t sizes[] = {16, 32, 64};
  for (size_t i = 0; i < icons.size(); ++i) {
    if (!icons[i].empty()) MeasureSprites(o, sizes[i], icons[i], table);
  }
  table.Print();
}

}  // namespace morvane_bench
