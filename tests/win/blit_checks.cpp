// BlendBlt and RopBlt through the real DLL: results, known pixels, and random scenes against the
// plain model (fewer than natively, since this runs emulated).
#include <random>

#include "host/host_bitmap.h"
#include "reference.h"
#include "wintest.h"

namespace {

using morvane_test::Family;
using morvane_test::HostBitmap;
using morvane_test::kRops;
using morvane_test::Pixel;

using morvane_wintest::A;
using morvane_wintest::I;

int32_t Blit(morvane_wintest::WinTest& t, Family family, const HostBitmap& dst, int32_t x,
             int32_t y, int32_t w, int32_t h, const HostBitmap& src, int32_t sx, int32_t sy,
             uint32_t code) {
  return t.Call(family == Family::kBlend ? "BlendBlt" : "RopBlt",
                {A(dst.desc()), I(x), I(y), I(w), I(h), A(src.desc()), I(sx), I(sy), code});
}

std::string Show(Pixel p) {
  return std::to_string(p.b) + "," + std::to_string(p.g) + "," + std::to_string(p.r) + "," +
         std::to_string(p.a);
}

bool Same(const HostBitmap& a, const HostBitmap& b) { return a.Snapshot() == b.Snapshot(); }

}  // namespace

WIN_GROUP(BlitResults) {
  HostBitmap dst(8, 8, {1, 2, 3, 4}), src(8, 8, {9, 9, 9, 255});
  const BitmapDesc none{0, 8, 8};
  WIN_CHECK_EQ(t, Blit(t, Family::kBlend, dst, 8, 0, 4, 4, src, 0, 0, 99), BLT_EMPTY);
  WIN_CHECK_EQ(t, t.Call("BlendBlt", {A(dst.desc()), 0, 0, 4, 4, A(&none), 0, 0, 0}), BLT_EMPTY);
  WIN_CHECK_EQ(t, t.Call("RopBlt", {A(&none), 0, 0, 4, 4, A(src.desc()), 0, 0, SRCCOPY}),
               BLT_EMPTY);
  WIN_CHECK_EQ(t, Blit(t, Family::kBlend, dst, 0, 0, 4, 4, src, 0, 0, 5), BLT_BADOP);
  WIN_CHECK_EQ(t, Blit(t, Family::kBlend, dst, 0, 0, 4, 4, src, 0, 0, 0xFFFFFFFFu), BLT_BADOP);
  WIN_CHECK_EQ(t, Blit(t, Family::kRop, dst, 0, 0, 4, 4, src, 0, 0, 0x00CC0021u), BLT_BADOP);
  WIN_CHECK_EQ(t, Blit(t, Family::kRop, dst, 0, 0, 4, 4, src, 0, 0, 0x00000042u), BLT_BADOP);
  WIN_CHECK(t, dst.Get(0, 0) == (Pixel{1, 2, 3, 4}));
}

WIN_GROUP(BlitKnownPixels) {
  HostBitmap dst(2, 1, {10, 20, 30, 64}), src(2, 1, {200, 100, 0, 192});
  WIN_CHECK_EQ(t, Blit(t, Family::kBlend, dst, 0, 0, 1, 1, src, 0, 0, BLEND_NORMAL), BLT_DONE);
  WIN_CHECK_MSG(t, dst.Get(0, 0) == (Pixel{186, 94, 3, 207}), Show(dst.Get(0, 0)));
  WIN_CHECK(t, dst.Get(1, 0) == (Pixel{10, 20, 30, 64}));
  HostBitmap opaque(1, 1, {200, 100, 50, 255}), half(1, 1, {128, 255, 0, 128});
  WIN_CHECK_EQ(t, Blit(t, Family::kBlend, opaque, 0, 0, 1, 1, half, 0, 0, BLEND_MULTIPLY), 0);
  WIN_CHECK(t, opaque.Get(0, 0) == (Pixel{150, 100, 25, 255}));
  HostBitmap inv(1, 1, {0xF0, 0x0F, 0xFF, 255}), ff(1, 1, {0xFF, 0xFF, 0x12, 255});
  WIN_CHECK_EQ(t, Blit(t, Family::kRop, inv, 0, 0, 1, 1, ff, 0, 0, SRCERASE), 0);
  WIN_CHECK(t, inv.Get(0, 0) == (Pixel{0x0F, 0xF0, 0, 255}));
  // A pixel merged with itself weighs by the new alpha.
  HostBitmap self(1, 1, {100, 100, 100, 128});
  WIN_CHECK_EQ(t, Blit(t, Family::kBlend, self, 0, 0, 1, 1, self, 0, 0, BLEND_ADD), 0);
  WIN_CHECK(t, self.Get(0, 0) == (Pixel{200, 200, 200, 191}));
}

WIN_GROUP(BlitRandomScenes) {
  for (uint32_t seed = 0; seed < 300; ++seed) {
    std::mt19937 rng(seed);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const Family family = seed % 2 ? Family::kRop : Family::kBlend;
    const uint32_t code = family == Family::kBlend ? uint32_t(uni(0, 4)) : kRops[uni(0, 6)];
    const int32_t dw = uni(1, 17), dh = uni(1, 13), sw = uni(1, 17), sh = uni(1, 13);
    HostBitmap dst(dw, dh), want(dw, dh), src(sw, sh);
    std::mt19937 a(seed + 1), b(seed + 1), c(seed + 2);
    dst.FillRandom(a);
    want.FillRandom(b);
    src.FillRandom(c);
    const bool self = seed % 4 == 0;
    const int32_t x = uni(-6, dw + 1), y = uni(-6, dh + 1), w = uni(-1, 20), h = uni(-1, 16);
    const int32_t sx = self ? x + uni(-2, 2) : uni(-6, 18),
                  sy = self ? y + uni(-2, 2) : uni(-6, 14);
    const int32_t got = Blit(t, family, dst, x, y, w, h, self ? dst : src, sx, sy, code);
    const int32_t ref =
        morvane_test::RefBlit(family, want, x, y, w, h, self ? want : src, sx, sy, code);
    WIN_CHECK_MSG(t, got == ref && Same(dst, want), "seed " + std::to_string(seed));
  }
}
