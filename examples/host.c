/* A host as Morvane's exports expect one: bitmaps reached from an object id through the host's
 * records, built here by hand as a host runtime lays them out, then a blend, a raster operation, a
 * check of one pixel and a save.
 *   host [OUT.bmp]
 * Windows: i686-w64-mingw32-gcc -Iinclude host.c lib/libMorvane.dll.a (beside Morvane.dll).
 * Linux: cc host.c $(pkg-config --cflags --libs morvane). */
#if !defined(_WIN32)
#define _GNU_SOURCE /* MAP_ANONYMOUS, MAP_32BIT */
#endif
#include <morvane.h>
#include <stdio.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>
/* A 32-bit process: every address fits the records' 32-bit words. */
static void* HostAlloc(size_t n) { return VirtualAlloc(NULL, n, MEM_COMMIT, PAGE_READWRITE); }
#else
#include <sys/mman.h>
/* A 64-bit process must keep the records and pixels below 4 GiB. */
static void* HostAlloc(size_t n) {
  void* p = mmap(NULL, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  return p == MAP_FAILED ? NULL : p;
}
#endif /* _WIN32 */

static void PutAddress(uint8_t* at, const void* p) {
  const uint32_t a = (uint32_t)(uintptr_t)p;
  for (int i = 0; i < 4; ++i) at[i] = (uint8_t)(a >> (8 * i)); /* little-endian words */
}

/* object record (+16) -> data record (+8) -> pixel information (+16) -> pixels, bottom row first.
 * The object record's address is twice the id, so it must be even. */
static uint8_t* MakeBitmap(BitmapDesc* desc, int32_t w, int32_t h, const uint8_t bgra[4]) {
  uint8_t* block = HostAlloc(64 + (size_t)w * h * 4);
  if (block == NULL) return NULL;
  uint8_t *object = block, *data = block + 24, *info = block + 40, *pixels = block + 64;
  PutAddress(object + 16, data);
  PutAddress(data + 8, info);
  PutAddress(info + 16, pixels);
  for (int32_t i = 0; i < w * h; ++i) memcpy(pixels + 4 * i, bgra, 4);
  desc->id = (int32_t)((uint32_t)(uintptr_t)object / 2);
  desc->width = w, desc->height = h;
  return pixels;
}

int main(int argc, char** argv) {
  const uint8_t blue[4] = {200, 100, 50, 255}, red[4] = {0, 0, 255, 128};
  BitmapDesc screen, sprite;
  uint8_t* pixels = MakeBitmap(&screen, 96, 64, blue);
  if (pixels == NULL || MakeBitmap(&sprite, 16, 16, red) == NULL) return 1;
  if (BlendBlt(&screen, 8, 8, 16, 16, &sprite, 0, 0, BLEND_NORMAL) != BLT_DONE) return 1;
  if (RopBlt(&screen, -8, 40, 16, 16, &sprite, 0, 0, SRCINVERT) != BLT_DONE) return 1;

  const uint8_t* p = pixels + ((64 - 1 - 10) * 96 + 10) * 4; /* pixel (10, 10): rows bottom-up */
  const int ok = p[0] == 100 && p[1] == 50 && p[2] == 152 && p[3] == 255;
  const char* out = argc > 1 ? argv[1] : "host.bmp";
  const int32_t saved = SaveToBitmapA(out, &screen);
  /* DllGetVersion takes no argument and returns the number itself (not the shell's DLLVERSIONINFO
   * call). */
  printf("host: version %d, pixel (10, 10) %s, saved %s: %s\n", (int)DllGetVersion(),
         ok ? "as expected" : "WRONG", out, saved == SAVE_DONE ? "done" : "failed");
  return ok && saved == SAVE_DONE ? 0 : 1;
}
