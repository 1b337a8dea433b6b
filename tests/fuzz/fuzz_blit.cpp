// BlendBlt and RopBlt on arbitrary descriptors, coordinates, sizes and codes, with pixel buffers
// against inaccessible pages. Every run is checked against the plain model: same result, same
// pixels, nothing changed outside the requested rectangle, and the source untouched.
#include <memory>
#include <random>

#include "fuzz_input.h"
#include "host/host_bitmap.h"
#include "reference.h"

using morvane_test::Family;
using morvane_test::Fence;
using morvane_test::HostBitmap;

namespace {

const uint32_t kRops[] = {SRCCOPY, SRCPAINT, SRCAND, SRCINVERT, SRCERASE, NOTSRCCOPY, NOTSRCERASE};

void Fail(const char* what) {
  __builtin_trap();
  (void)what;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  morvane_fuzz::FuzzInput in(data, size);
  const Family family = in.Bit() ? Family::kRop : Family::kBlend;
  const int32_t dw = in.Size(), dh = in.Size(), sw = in.Size(), sh = in.Size();
  const Fence dfence = in.Bit() ? Fence::kStart : Fence::kEnd;
  const Fence sfence = in.Bit() ? Fence::kStart : Fence::kEnd;
  const uint8_t flags = in.Byte();
  const bool self = flags & 1, null_dst = (flags & 0x1E) == 0x1E, null_src = (flags & 0xE0) == 0xE0;
  const int32_t x = in.Coord(), y = in.Coord(), w = in.Coord(), h = in.Coord();
  const int32_t sx = in.Coord(), sy = in.Coord();
  const uint8_t code_sel = in.Byte();
  uint32_t code = family == Family::kBlend ? code_sel % 6 : kRops[code_sel % 7];
  if (code_sel >= 240) code = in.Word();
  std::mt19937 rng(in.Word());

  HostBitmap dst(dw, dh, {}, dfence), want(dw, dh, {}, dfence);
  std::unique_ptr<HostBitmap> src_own;
  if (!self) src_own = std::make_unique<HostBitmap>(sw, sh, morvane_test::Pixel{}, sfence);
  HostBitmap& src = self ? dst : *src_own;
  std::mt19937 twin = rng;
  dst.FillRandom(rng);
  want.FillRandom(twin);
  if (!self) src.FillRandom(rng);
  const auto src_before = src.Snapshot();
  const auto dst_before = dst.Snapshot();

  BitmapDesc none_dst{0, dw, dh}, none_src{0, self ? dw : sw, self ? dh : sh};
  const BitmapDesc* d = null_dst ? &none_dst : dst.desc();
  const BitmapDesc* s = null_src ? &none_src : src.desc();
  const int32_t got = family == Family::kBlend ? BlendBlt(d, x, y, w, h, s, sx, sy, code)
                                               : RopBlt(d, x, y, w, h, s, sx, sy, code);

  if (null_dst || null_src) {
    // Without pixels nothing is drawn: 1 whatever the rest.
    if (got != BLT_EMPTY || dst.Snapshot() != dst_before) Fail("null view");
    return 0;
  }
  HostBitmap& want_src = self ? want : src;
  const int32_t ref = morvane_test::RefBlit(family, want, x, y, w, h, want_src, sx, sy, code);
  if (got != ref) Fail("result");
  if (dst.Snapshot() != want.Snapshot()) Fail("pixels");
  if (!self && src.Snapshot() != src_before) Fail("source changed");
  // Only pixels inside the requested rectangle may change.
  const auto after = dst.Snapshot();
  for (int32_t py = 0; py < dh; ++py) {
    for (int32_t px = 0; px < dw; ++px) {
      const bool inside = int64_t{px} >= x && int64_t{px} < int64_t{x} + w && int64_t{py} >= y &&
                          int64_t{py} < int64_t{y} + h;
      const size_t i = size_t(py) * size_t(dw) + size_t(px);
      if (!inside && after[i] != dst_before[i]) Fail("outside the rectangle");
    }
  }
  return 0;
}
