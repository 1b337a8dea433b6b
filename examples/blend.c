/* Morvane on ordinary buffers: a sprite laid over a screen in a few blend modes and a raster
 * operation, the result saved as a BMP file, and one pixel checked against the merge's rule.
 *   blend [OUT.bmp]
 * Build: cc blend.c $(pkg-config --cflags --libs morvane) */
#include <morvane.h>
#include <stdio.h>
#include <stdlib.h>

enum { kScreenW = 96, kScreenH = 64, kSpriteW = 16, kSpriteH = 16 };

static void Fill(uint8_t* px, int32_t w, int32_t h, uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
  for (int32_t i = 0; i < w * h; ++i) {
    px[4 * i] = b, px[4 * i + 1] = g, px[4 * i + 2] = r, px[4 * i + 3] = a;
  }
}

int main(int argc, char** argv) {
  /* Bytes blue, green, red, alpha, not premultiplied; rows top-down, width * 4 bytes apart. */
  uint8_t* screen_px = malloc(kScreenW * kScreenH * 4);
  uint8_t* sprite_px = malloc(kSpriteW * kSpriteH * 4);
  if (!screen_px || !sprite_px) return 1;
  Fill(screen_px, kScreenW, kScreenH, 200, 100, 50, 255); /* an opaque screen */
  Fill(sprite_px, kSpriteW, kSpriteH, 0, 0, 255, 128);    /* half-transparent red */
  const MorvaneImage screen = {screen_px, kScreenW, kScreenH, kScreenW * 4};
  const MorvaneImage sprite = {sprite_px, kSpriteW, kSpriteH, kSpriteW * 4};

  const int32_t modes[] = {BLEND_NORMAL, BLEND_ADD, BLEND_MULTIPLY};
  for (int i = 0; i < 3; ++i) {
    if (morvane_blend(&screen, 8 + 24 * i, 8, kSpriteW, kSpriteH, &sprite, 0, 0, modes[i]) !=
        BLT_DONE) {
      return 1;
    }
  }
  /* Half off the right edge: only the part that lies on the screen is drawn. */
  if (morvane_rop(&screen, 88, 40, kSpriteW, kSpriteH, &sprite, 0, 0, SRCINVERT) != BLT_DONE) {
    return 1;
  }

  /* BLEND_NORMAL onto an opaque pixel: c' = d + (s - d) * sa / 255, truncated toward zero. */
  const uint8_t* p = screen_px + (10 * kScreenW + 10) * 4;
  const int ok = p[0] == 100 && p[1] == 50 && p[2] == 152 && p[3] == 255;
  printf("pixel (10, 10): B %d G %d R %d A %d, %s\n", p[0], p[1], p[2], p[3],
         ok ? "as expected" : "WRONG");

  const char* out = argc > 1 ? argv[1] : "blend.bmp";
  const int32_t saved = morvane_save_bmp(out, &screen);
  printf("saved %s: %s\n", out, saved == SAVE_DONE ? "done" : "failed");
  free(screen_px);
  free(sprite_px);
  return ok && saved == SAVE_DONE ? 0 : 1;
}
