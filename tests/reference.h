// A plain model of what a blit must do, written from the rules directly and sharing no code with
// the library: the operators as a switch, the merge as arithmetic on ints, and the blit as "each
// requested pair whose two pixels both exist, in row order". Slow and obviously right.
#ifndef MORVANE_TESTS_REFERENCE_H_
#define MORVANE_TESTS_REFERENCE_H_

#include <cstdint>
#include <functional>

#include "host/host_bitmap.h"

namespace morvane_test {

enum class Family { kBlend, kRop };

// The seven raster operation codes, in table order.
constexpr uint32_t kRops[] = {SRCCOPY,  SRCPAINT,   SRCAND,     SRCINVERT,
                              SRCERASE, NOTSRCCOPY, NOTSRCERASE};

// X for the operator with `code` in its family; -1 when the code is not one of them.
int RefOp(Family family, uint32_t code, int d, int s);

// Merges sp into dp (4 bytes each, which may be the same bytes) with X from `op`.
template <class OpFn>
void RefMerge(uint8_t* dp, const uint8_t* sp, OpFn op) {
  const int a = dp[3] * (255 - sp[3]) / 255 + sp[3];
  dp[3] = static_cast<uint8_t>(a);
  if (a == 0) return;
  const int sa = sp[3];
  for (int c = 0; c < 3; ++c) {
    const int d = dp[c];
    dp[c] = static_cast<uint8_t>(d + (op(d, sp[c]) - d) * sa / a);
  }
}

// The whole blit on host bitmaps, including its result code. `dst` and `src` may be the same.
int32_t RefBlit(Family family, HostBitmap& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                const HostBitmap& src, int32_t sx, int32_t sy, uint32_t code);

// The clipped SRCCOPY blit: RefBlit's pairs, kept only where inside(j, i) holds for the pair's
// offset (j, i) from the requested corner, and merged from the source as it was before the call.
// Returns 1 when no requested pair has both pixels, else 0.
int32_t RefClipBlt(HostBitmap& dst, int32_t x, int32_t y, int32_t w, int32_t h,
                   const HostBitmap& src, int32_t sx, int32_t sy,
                   const std::function<bool(int64_t j, int64_t i)>& inside);

}  // namespace morvane_test

#endif  // MORVANE_TESTS_REFERENCE_H_
