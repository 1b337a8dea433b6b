// Layers: the sprite section's icons at its places, drawn one call per sprite onto a layer (an
// off-screen bitmap cleared to transparent, as a host draws a scene before showing it) and, for
// the same calls' cost where every destination is opaque, onto a screen; then the finished layer
// onto an opaque screen in one call. Beside BlendBlt and RopBlt: pixman's OVER onto a
// premultiplied layer (and of the premultiplied finished layer), and SDL's alpha blit onto a layer
// of its own. Every contender clears its own layer after each whole frame, untimed.
#include <pixman.h>

#include <cstring>
#include <deque>

#include "compare_icons.h"

namespace morvane_bench {
namespace {

constexpr size_t kSlicesPerFrame = kSprites / kSlice;
constexpr size_t kScreenPixels = size_t(kScreenWidth) * kScreenHeight;

// One contender's layer, cleared, in the host's bitmap for our blits and in plain pixels for the
// peers, which see the rows top-down (see Icon).
struct PeerLayer {
  Pixels pixels{kScreenPixels};
  pixman_image_t* pixman = nullptr;
  void* sdl = nullptr;
  const SdlPeer* peer = nullptr;

  PeerLayer() = default;
  PeerLayer(const PeerLayer&) = delete;
  PeerLayer& operator=(const PeerLayer&) = delete;
  ~PeerLayer() {
    if (pixman != nullptr) pixman_image_unref(pixman);
    if (sdl != nullptr) peer->Free(sdl);
  }
};

void Clear(uint8_t* bytes) { std::memset(bytes, 0, kScreenPixels * 4); }

// Shares of a layer's pixels that are clear, opaque and in between, as "61 / 30 / 9 %".
std::string AlphaShares(const HostBitmap& layer) {
  size_t clear = 0, opaque = 0;
  const uint8_t* p = layer.buffer();
  for (size_t i = 3; i < layer.buffer_bytes(); i += 4) clear += p[i] == 0, opaque += p[i] == 255;
  const double all = double(kScreenPixels) / 100;
  return Fixed(double(clear) / all, 0) + " / " + Fixed(double(opaque) / all, 0) + " / " +
         Fixed(double(kScreenPixels - clear - opaque) / all, 0) + " %";
}

// Sprites of one size onto the layers and onto our screen: one table row per contender.
void MeasureOntoLayers(const Options& o, int32_t size, const std::vector<Sprite>& sprites,
                       double pixels, HostBitmap& screen, Table& table) {
  const std::vector<const SdlPeer*> peers = SdlPeers();
  HostBitmap ours(kScreenWidth, kScreenHeight);
  PeerLayer pixman;
  pixman.pixman = pixman_image_create_bits(PIXMAN_a8r8g8b8, kScreenWidth, kScreenHeight,
                                           pixman.pixels.words(), kScreenWidth * 4);
  std::vector<std::unique_ptr<PeerLayer>> sdl;
  for (const SdlPeer* peer : peers) {
    sdl.push_back(std::make_unique<PeerLayer>());
    sdl.back()->peer = peer;
    sdl.back()->sdl = peer->Wrap(sdl.back()->pixels.bytes(), kScreenWidth, kScreenHeight);
  }

  // A call draws one slice of the frame, every contender going through the slices in the same
  // order; after a frame's last slice its layer is cleared. The screen is never cleared: our
  // blits keep it opaque. Every contender is timed call by call alike.
  std::vector<Contender> all;
  std::deque<size_t> next;  // each contender's next slice, where its call and restore find it
  auto add = [&](const std::string& label, SimdLevel level, uint8_t* layer,
                 std::function<void(const Sprite&)> draw) {
    size_t& slice = next.emplace_back(0);
    Contender c(label, level, [&sprites, draw, &slice](size_t) {
      const size_t first = slice % kSlicesPerFrame * kSlice;
      for (size_t i = first; i < first + kSlice; ++i) draw(sprites[i]);
    });
    c.restore = [layer, &slice](size_t) {
      if (++slice % kSlicesPerFrame == 0 && layer != nullptr) Clear(layer);
    };
    all.push_back(std::move(c));
  };
  struct Ours {
    const char* label;
    bool blend;
  };
  std::vector<Ours> kinds = {{"BlendBlt BLEND_NORMAL", true}};
  if (!o.normal_only) kinds.push_back({"RopBlt SRCCOPY", false});
  for (const Ours& kind : kinds) {
    for (HostBitmap* target : {&ours, &screen}) {
      const bool blend = kind.blend;
      add(kind.label, o.level, target == &ours ? ours.buffer() : nullptr,
          [target, blend, size](const Sprite& s) {
            if (blend) {
              BlendBlt(target->desc(), s.x, s.y, size, size, s.icon->host.desc(), 0, 0,
                       BLEND_NORMAL);
            } else {
              RopBlt(target->desc(), s.x, s.y, size, size, s.icon->host.desc(), 0, 0, SRCCOPY);
            }
          });
    }
  }
  const size_t first_peer = all.size();
  add("pixman OVER (premultiplied)", morvane::kTopSimdLevel, pixman.pixels.bytes(),
      [&pixman, size](const Sprite& s) {
        pixman_image_composite32(PIXMAN_OP_OVER, s.icon->pixman, nullptr, pixman.pixman, 0, 0, 0, 0,
                                 s.x, PeerY(s, size), size, size);
      });
  for (size_t p = 0; p < peers.size(); ++p) {
    const PeerLayer* layer = sdl[p].get();
    add(std::string(peers[p]->name()) + " BlitSurface BLEND", morvane::kTopSimdLevel,
        sdl[p]->pixels.bytes(), [layer, p, size](const Sprite& s) {
          layer->peer->Blit(s.icon->sdl[p], layer->sdl, s.x, PeerY(s, size));
        });
  }
  MeasureInTurns(all, o);

  const double slice_pixels = pixels / kSlicesPerFrame;
  auto rate = [slice_pixels](const Contender& c) { return slice_pixels / c.Median() / 1e6; };
  for (size_t i = 0; i < all.size(); ++i) {
    const Contender& c = all[i];
    const bool mine = i < first_peer, on_screen = mine && i % 2 == 1;
    const std::string walk = mine ? morvane::SimdLevelName(o.level) : "-";
    const double mpix = rate(c);
    // Our layer rows against the same calls onto the screen, as a ratio of times.
    const std::string against_screen =
        mine && !on_screen ? Ratio(c.Median(), all[i + 1].Median()) : "-";
    std::vector<std::string> cells = {c.label,
                                      o.Shown(walk),
                                      std::to_string(size),
                                      on_screen ? "screen" : "layer",
                                      Fixed(c.Median() / kSlice * 1e9, 0),
                                      Fixed(mpix, 0),
                                      against_screen};
    for (size_t k = first_peer; k < all.size(); ++k) cells.push_back(Ratio(mpix, rate(all[k])));
    table.Add(cells);
    CsvRow(o, "layers", c.label, walk, std::to_string(size), on_screen ? "opaque" : "layer",
           c.Median() / kSlice, mpix);
  }
}

// The finished layer of one size's frame onto the opaque screen, one call each; our blits and
// pixman's keep the screen opaque, SDL's draw on copies of their own.
void MeasureLayerOntoScreen(const Options& o, int32_t size, const std::vector<Sprite>& sprites,
                            const HostBitmap& screen, Table& table) {
  const std::vector<const SdlPeer*> peers = SdlPeers();
  HostBitmap layer(kScreenWidth, kScreenHeight), target(kScreenWidth, kScreenHeight);
  for (const Sprite& s : sprites) {
    BlendBlt(layer.desc(), s.x, s.y, size, size, s.icon->host.desc(), 0, 0, BLEND_NORMAL);
  }
  std::memcpy(target.buffer(), screen.buffer(), screen.buffer_bytes());
  // pixman's premultiplied copy of the layer, composited onto its own copy of the screen.
  PeerLayer pixman_layer, pixman_screen;
  const uint8_t* from = layer.buffer();
  uint8_t* to = pixman_layer.pixels.bytes();
  for (size_t i = 0; i < layer.buffer_bytes(); i += 4) {
    for (int c = 0; c < 3; ++c) to[i + c] = uint8_t((from[i + c] * from[i + 3] + 127) / 255);
    to[i + 3] = from[i + 3];
  }
  std::memcpy(pixman_screen.pixels.bytes(), screen.buffer(), screen.buffer_bytes());
  pixman_layer.pixman = pixman_image_create_bits(PIXMAN_a8r8g8b8, kScreenWidth, kScreenHeight,
                                                 pixman_layer.pixels.words(), kScreenWidth * 4);
  pixman_screen.pixman = pixman_image_create_bits(PIXMAN_a8r8g8b8, kScreenWidth, kScreenHeight,
                                                  pixman_screen.pixels.words(), kScreenWidth * 4);
  std::vector<std::unique_ptr<PeerLayer>> sdl_screens;
  std::vector<void*> sdl_layers;
  for (const SdlPeer* peer : peers) {
    sdl_screens.push_back(std::make_unique<PeerLayer>());
    PeerLayer& s = *sdl_screens.back();
    std::memcpy(s.pixels.bytes(), screen.buffer(), screen.buffer_bytes());
    s.peer = peer;
    s.sdl = peer->Wrap(s.pixels.bytes(), kScreenWidth, kScreenHeight);
    sdl_layers.push_back(peer->Wrap(layer.buffer(), kScreenWidth, kScreenHeight));
  }

  std::vector<Contender> all;
  all.emplace_back("BlendBlt BLEND_NORMAL", o.level, [&](size_t) {
    BlendBlt(target.desc(), 0, 0, kScreenWidth, kScreenHeight, layer.desc(), 0, 0, BLEND_NORMAL);
  });
  if (!o.normal_only) {
    all.emplace_back("RopBlt SRCCOPY", o.level, [&](size_t) {
      RopBlt(target.desc(), 0, 0, kScreenWidth, kScreenHeight, layer.desc(), 0, 0, SRCCOPY);
    });
  }
  const size_t first_peer = all.size();
  all.emplace_back("pixman OVER (premultiplied)", morvane::kTopSimdLevel, [&](size_t) {
    pixman_image_composite32(PIXMAN_OP_OVER, pixman_layer.pixman, nullptr, pixman_screen.pixman, 0,
                             0, 0, 0, 0, 0, kScreenWidth, kScreenHeight);
  });
  for (size_t p = 0; p < peers.size(); ++p) {
    all.emplace_back(std::string(peers[p]->name()) + " BlitSurface BLEND", morvane::kTopSimdLevel,
                     [&, p](size_t) { peers[p]->Blit(sdl_layers[p], sdl_screens[p]->sdl, 0, 0); });
  }
  MeasureInTurns(all, o);
  for (size_t p = 0; p < peers.size(); ++p) peers[p]->Free(sdl_layers[p]);

  const std::string shares = AlphaShares(layer);
  auto rate = [](const Contender& c) { return double(kScreenPixels) / c.Median() / 1e6; };
  for (size_t i = 0; i < all.size(); ++i) {
    const Contender& c = all[i];
    const std::string walk = i < first_peer ? morvane::SimdLevelName(o.level) : "-";
    const double mpix = rate(c);
    std::vector<std::string> cells = {
        c.label,       o.Shown(walk), std::to_string(size), shares, Fixed(c.Median() * 1e6, 0),
        Fixed(mpix, 0)};
    for (size_t k = first_peer; k < all.size(); ++k) cells.push_back(Ratio(mpix, rate(all[k])));
    table.Add(cells);
    CsvRow(o, "layer-onto-screen", c.label, walk, std::to_string(size), "opaque", c.Median(), mpix);
  }
}

}  // namespace

void RunLayers(const Options& o) {
  std::printf("### Layers\n\n");
  std::string found, why;
  const std::vector<Icons> icons = LoadIconSets(&found, &why);
  if (icons.empty()) {
    std::printf("Left out: %s.\n\n", why.c_str());
    return;
  }
  HostBitmap screen(kScreenWidth, kScreenHeight);
  std::mt19937 rng(5);
  FillDestination(screen, rng, true);
  std::vector<std::string> peer_headers;
  for (const SdlPeer* peer : SdlPeers()) peer_headers.push_back(std::string("/") + peer->name());

  std::printf(
      "The sprite section's %zu sprites per frame, at its places, one call per sprite, timed %zu "
      "at a time: onto a %d x %d layer cleared to transparent after every frame (untimed), each "
      "contender on a layer of its own, later sprites landing on earlier ones; and ours onto an "
      "opaque screen. \"x screen\" is our time onto the layer over our time for the same calls "
      "onto the screen. Mpix/s counts the pixels that land; the other ratios are of speeds.\n\n",
      kSprites, kSlice, kScreenWidth, kScreenHeight);
  std::vector<std::string> headers = {"contender", "walk",   "icon",     "onto",
                                      "ns/sprite", "Mpix/s", "x screen", "/pixman"};
  headers.insert(headers.end(), peer_headers.begin(), peer_headers.end());
  Table onto(headers, "llrl" + std::string(headers.size() - 4, 'r'));
  std::vector<std::vector<Sprite>> frames;
  for (size_t i = 0; i < icons.size(); ++i) {
    double pixels = 0;
    frames.push_back(icons[i].empty() ? std::vector<Sprite>{}
                                      : PlaceSprites(icons[i], kIconSizes[i], &pixels));
    if (!icons[i].empty()) MeasureOntoLayers(o, kIconSizes[i], frames[i], pixels, screen, onto);
  }
  onto.Print();
  std::fflush(stdout);

  std::printf(
      "Each finished layer (one frame of sprites of one size) onto the opaque screen in one call "
      "of %d x %d; pixman composites a premultiplied copy of it. The layer's pixels are clear / "
      "opaque / in between as shown.\n\n",
      kScreenWidth, kScreenHeight);
  headers = {"contender", "walk", "icon", "layer alphas", "us/frame", "Mpix/s", "/pixman"};
  headers.insert(headers.end(), peer_headers.begin(), peer_headers.end());
  Table finished(headers, "llrl" + std::string(headers.size() - 4, 'r'));
  for (size_t i = 0; i < icons.size(); ++i) {
    if (!icons[i].empty()) MeasureLayerOntoScreen(o, kIconSizes[i], frames[i], screen, finished);
  }
  finished.Print();
}

}  // namespace morvane_bench
