// A small host: lays out two bitmaps the way the host runtime does (object record -> data record
// -> pixel-information record -> pixels, all below 4 GiB), then calls the library's exports as a
// host would and prints what they did.
#include <sys/mman.h>

#include <cstdio>
#include <cstring>

#include "morvane.h"

namespace {

struct Bitmap {
  BitmapDesc desc;
  uint8_t* pixels;
};

uint8_t* LowAlloc(size_t bytes) {
  int flags = MAP_PRIVATE | MAP_ANONYMOUS;
#ifdef MAP_32BIT
  flags |= MAP_32BIT;
#endif  // MAP_32BIT
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, flags, -1, 0);
  return p == MAP_FAILED ? nullptr : static_cast<uint8_t*>(p);
}

void PutWord(uint8_t* at, const void* address) {
  const auto value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address));
  std::memcpy(at, &value, 4);  // little-endian hosts only, as the records are
}

bool MakeBitmap(int32_t width, int32_t height, Bitmap* out) {
  uint8_t* records = LowAlloc(64);
  uint8_t* pixels = LowAlloc(size_t(width) * size_t(height) * 4);
  if (records == nullptr || pixels == nullptr) return false;
  PutWord(records + 16, records + 24);      // object record -> data record
  PutWord(records + 24 + 8, records + 40);  // data record -> pixel-information record
  PutWord(records + 40 + 16, pixels);       // pixel-information record -> pixels
  out->desc = {static_cast<int32_t>(reinterpret_cast<uintptr_t>(records) / 2), width, height};
  out->pixels = pixels;
  return true;
}

void Fill(const Bitmap& b, uint8_t blue, uint8_t green, uint8_t red, uint8_t alpha) {
  for (int32_t i = 0; i < b.desc.width * b.desc.height; ++i) {
    uint8_t* p = b.pixels + i * 4;
    p[0] = blue, p[1] = green, p[2] = red, p[3] = alpha;
  }
}

void Print(const char* what, const Bitmap& b, int32_t x, int32_t y) {
  const uint8_t* p = b.pixels + (size_t(b.desc.height - 1 - y) * b.desc.width + x) * 4;
  std::printf("  %-34s pixel (%d, %d) = B %3d G %3d R %3d A %3d\n", what, x, y, p[0], p[1], p[2],
              p[3]);
}

}  // namespace

int main() {
  Bitmap screen, sprite;
  if (!MakeBitmap(64, 48, &screen) || !MakeBitmap(16, 16, &sprite)) {
    std::fprintf(stderr, "example_host: cannot allocate host memory below 4 GiB\n");
    return 1;
  }
  std::printf("example host: a 64 x 48 screen, a 16 x 16 half-transparent sprite\n");
  Fill(screen, 200, 100, 50, 255);
  Fill(sprite, 128, 255, 0, 128);
  std::printf("BlendBlt BLEND_MULTIPLY at (10, 20): result %d\n",
              BlendBlt(&screen.desc, 10, 20, 16, 16, &sprite.desc, 0, 0, BLEND_MULTIPLY));
  Print("inside the sprite", screen, 10, 20);
  Print("outside the sprite", screen, 9, 20);
  std::printf("RopBlt SRCINVERT partly off the left edge at (-8, 0): result %d\n",
              RopBlt(&screen.desc, -8, 0, 16, 16, &sprite.desc, 0, 0, SRCINVERT));
  Print("inside what was drawn", screen, 7, 0);
  std::printf("BlendBlt with mode 9: result %d (BLT_BADOP)\n",
              BlendBlt(&screen.desc, 0, 0, 16, 16, &sprite.desc, 0, 0, 9));
  std::printf("BlendBlt entirely off the screen: result %d (BLT_EMPTY)\n",
              BlendBlt(&screen.desc, 64, 0, 16, 16, &sprite.desc, 0, 0, BLEND_ADD));
  std::printf("SaveToBitmapA showcase.bmp: result %d (SAVE_DONE)\n",
              SaveToBitmapA("showcase.bmp", &screen.desc));
  std::printf("SaveToBitmapA into a missing folder: result %d (SAVE_BADFILE)\n",
              SaveToBitmapA("no-such-folder/showcase.bmp", &screen.desc));
  return 0;
}
