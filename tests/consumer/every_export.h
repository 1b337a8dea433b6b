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

#endif /* MORVANE_CONSUMER_EVERY_EXPORT_H_ */
