/* Calls each of the library's six exports once, through whichever import library or .so the
 * program was linked with, with arguments whose answers need no host bitmaps: descriptors of id 0,
 * which name no bitmap, and a null region. A wrong name, calling convention or import shows as a
 * failed link, a crash or a wrong answer. Needs nothing but morvane.h, so that it builds without a
 * C runtime too. */
#ifndef MORVANE_CONSUMER_EVERY_EXPORT_H_
#define MORVANE_CONSUMER_EVERY_EXPORT_H_

#include <morvane.h>

/* Returns 0 when every export gave its documented answer, else the ordinal (1 to 6) of the first
 * one that did not. */
static int CallEveryExport(void) {
  static const BitmapDesc none = {0, 4, 4};
  static const MorvaneWChar wide_path[] = {'n', 'o', 'n', 'e', '.', 'b', 'm', 'p', 0};
  if (BlendBlt(&none, 0, 0, 4, 4, &none, 0, 0, BLEND_ADD) != BLT_EMPTY) return 1;
  if (ClipBlt(&none, 0, 0, 4, 4, &none, 0, 0, 0) != BLT_EMPTY) return 2;
  if (DllGetVersion() < 0) return 3;
  if (RopBlt(&none, 0, 0, 4, 4, &none, 0, 0, SRCINVERT) != BLT_EMPTY) return 4;
  if (SaveToBitmapA("none.bmp", &none) != SAVE_BADBITMAP) return 5;
  if (SaveToBitmapW(wide_path, &none) != SAVE_BADBITMAP) return 6;
  return 0;
}

#if !defined(_WIN32)
/* The ordinary-buffer API of the native library, on a 2 x 1 image of its own: returns 0 when a
 * blend and a raster operation gave the documented pixels and a bad record its code, else the
 * number of the first check that failed. */
static int CallImageApi(void) {
  unsigned char px[8] = {10, 20, 30, 255, 40, 50, 60, 255};
  const unsigned char one[4] = {255, 0, 0, 255};
  const MorvaneImage image = {px, 2, 1, 8}, dot = {(void*)one, 1, 1, 4};
  const MorvaneImage bad = {px, 2, 1, 4}; /* rows closer than a row's bytes */
  const MorvaneRect right = {1, 0, 2, 1};
  if (morvane_rop(&image, 0, 0, 1, 1, &dot, 0, 0, SRCCOPY) != BLT_DONE || px[0] != 255) return 1;
  if (morvane_clip(&image, 0, 0, 2, 1, &image, 0, 0, &right, 1) != BLT_DONE) return 2;
  if (morvane_blend(&image, 1, 0, 1, 1, &dot, 0, 0, BLEND_ADD) != BLT_DONE || px[4] != 255)
    return 3;
  if (morvane_blend(&bad, 0, 0, 1, 1, &dot, 0, 0, BLEND_ADD) != BLT_BADIMAGE) return 4;
  if (morvane_save_bmp(0, &bad) != SAVE_BADBITMAP) return 5;
  return 0;
}
#endif /* !_WIN32 */

#endif /* MORVANE_CONSUMER_EVERY_EXPORT_H_ */
