/* Builds against the installed header and library only, in C. */
#include <morvane.h>
#include <stdio.h>

int main(void) {
  const BitmapDesc none = {0, 4, 4};
  const int32_t version = DllGetVersion();
  const int32_t empty = BlendBlt(&none, 0, 0, 4, 4, &none, 0, 0, BLEND_NORMAL);
  printf("consumer: version %d, blit of nothing %d\n", (int)version, (int)empty);
  return version == 2 && empty == BLT_EMPTY ? 0 : 1;
}
