#include "compare_icons.h"

#include <algorithm>
#include <filesystem>

#if !defined(MORVANE_BENCH_STB)
#define MORVANE_BENCH_STB 0
#endif  // !MORVANE_BENCH_STB

#if MORVANE_BENCH_STB
#include <stb_image.h>
#endif  // MORVANE_BENCH_STB

namespace morvane_bench {

const char kIconTheme[] = "/usr/share/icons/Adwaita";

namespace {

constexpr size_t kIconsPerSize = 256;

#if MORVANE_BENCH_STB

// The icons of one size that are not wholly opaque, in path order; when there are more than
// kIconsPerSize, every k-th of them, so that every folder of the theme has its share.
Icons LoadIcons(int32_t size, size_t* with_alpha) {
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
  Icons icons;
  const size_t count = std::min(images.size(), kIconsPerSize);
  for (size_t i = 0; i < count; ++i) {
    icons.push_back(std::make_unique<Icon>(size, images[i * images.size() / count].data(), peers));
  }
  return icons;
}

#endif  // MORVANE_BENCH_STB

}  // namespace

Icon::Icon(int32_t size, const uint8_t* rgba, const std::vector<const SdlPeer*>& peers)
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

Icon::~Icon() {
  pixman_image_unref(pixman);
  const std::vector<const SdlPeer*> peers = SdlPeers();
  for (size_t p = 0; p < peers.size(); ++p) peers[p]->Free(sdl[p]);
}

std::vector<Icons> LoadIconSets(std::string* found, std::string* why) {
#if MORVANE_BENCH_STB
  std::vector<Icons> sets;
  found->clear();
  bool any = false;
  for (int32_t size : kIconSizes) {
    size_t with_alpha = 0;
    sets.push_back(LoadIcons(size, &with_alpha));
    any = any || !sets.back().empty();
    *found += (found->empty() ? "" : ", ") + std::to_string(sets.back().size()) + " of " +
              std::to_string(with_alpha) + " at " + std::to_string(size);
  }
  if (any) return sets;
  *why =
      std::string("no PNG icons with alpha under ") + kIconTheme + " (Debian's adwaita-icon-theme)";
#else
  (void)found;
  *why = "the bench was built without stb_image (libstb-dev) to read icons";
#endif  // MORVANE_BENCH_STB
  return {};
}

std::vector<Sprite> PlaceSprites(const Icons& icons, int32_t size, double* visible_pixels) {
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

}  // namespace morvane_bench
