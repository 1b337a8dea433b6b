// Writes sample BMP files through the library's exports for an independent reader to check:
//   bmp_samples FOLDER
// Each file is named sample_<width>x<height>[_wide].bmp; pixel (x, y), y from the top, holds the
// colour that PixelAt below gives, and alpha varies so that a reader that took it would notice.
#include <cstdio>
#include <string>

#include "host/host_bitmap.h"

namespace {

morvane_test::Pixel PixelAt(int32_t x, int32_t y) {
  return {static_cast<uint8_t>(x * 7 + y * 13), static_cast<uint8_t>(x * 29 + y * 3 + 5),
          static_cast<uint8_t>((x ^ (y * 5)) * 3), static_cast<uint8_t>(x * y)};
}

bool Save(const std::string& folder, int32_t w, int32_t h, bool wide) {
  morvane_test::HostBitmap bitmap(w, h);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) bitmap.Set(x, y, PixelAt(x, y));
  }
  const std::string name = folder + "/sample_" + std::to_string(w) + "x" + std::to_string(h) +
                           (wide ? "_wide" : "") + ".bmp";
  int32_t result;
  if (wide) {
    const std::u16string path(name.begin(), name.end());  // the folder is ASCII
    result = SaveToBitmapW(path.c_str(), bitmap.desc());
  } else {
    result = SaveToBitmapA(name.c_str(), bitmap.desc());
  }
  if (result != SAVE_DONE) std::fprintf(stderr, "%s: result %d\n", name.c_str(), result);
  return result == SAVE_DONE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bmp_samples FOLDER\n");
    return 2;
  }
  const int32_t sizes[][2] = {{1, 1}, {2, 1}, {1, 5},   {3, 2},   {4, 3},   {5, 7},
                              {6, 1}, {7, 9}, {31, 17}, {64, 64}, {257, 3}, {3, 257}};
  bool ok = true;
  for (const auto& s : sizes) ok = Save(argv[1], s[0], s[1], false) && ok;
  ok = Save(argv[1], 13, 11, true) && ok;
  return ok ? 0 : 1;
}
