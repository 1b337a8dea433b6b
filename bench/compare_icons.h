// The icons the sprite and layer sections draw: the PNGs of Debian's adwaita-icon-theme at 16, 32
// and 64 pixels, each as the host's bitmap and as each peer sees it, and one frame's places for
// them on a 1920 x 1080 bitmap.
#ifndef MORVANE_BENCH_COMPARE_ICONS_H_
#define MORVANE_BENCH_COMPARE_ICONS_H_

#include <pixman.h>

#include <memory>
#include <string>
#include <vector>

#include "compare.h"

namespace morvane_bench {

constexpr int32_t kScreenWidth = 1920, kScreenHeight = 1080;
constexpr size_t kSprites = 2000, kSlice = 250;
constexpr int32_t kIconSizes[] = {16, 32, 64};
extern const char kIconTheme[];

// The host's bitmap and each peer's view of one icon. The peers see the host's bottom-up rows as
// top-down ones, so they draw every sprite mirrored at the mirrored place: the same bytes as ours.
struct Icon {
  HostBitmap host;
  Pixels premultiplied;
  pixman_image_t* pixman;
  std::vector<void*> sdl;

  // `rgba` as stb_image gives it: rows top-down, bytes red, green, blue, alpha.
  Icon(int32_t size, const uint8_t* rgba, const std::vector<const SdlPeer*>& peers);
  ~Icon();
  Icon(const Icon&) = delete;
  Icon& operator=(const Icon&) = delete;
};
using Icons = std::vector<std::unique_ptr<Icon>>;

// The icons of every size in kIconSizes (some sets may be empty), or none at all, with `why`
// saying what is missing; `found` says how many of each size were taken.
std::vector<Icons> LoadIconSets(std::string* found, std::string* why);

struct Sprite {
  const Icon* icon;
  int32_t x, y;
};

// One frame's kSprites sprites of one size on a kScreenWidth x kScreenHeight bitmap, anywhere from
// just off the left or top edge to just off the right or bottom one; and how many of their pixels
// land on it. The same places for every section that asks for that size.
std::vector<Sprite> PlaceSprites(const Icons& icons, int32_t size, double* visible_pixels);

// Where a peer draws sprite s of `size` pixels: its rows run top-down, the host's bottom-up.
inline int32_t PeerY(const Sprite& s, int32_t size) { return kScreenHeight - s.y - size; }

}  // namespace morvane_bench

#endif  // MORVANE_BENCH_COMPARE_ICONS_H_
