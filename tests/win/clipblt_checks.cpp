// ClipBlt through the real DLL with real GDI regions: rectangles, ellipses and combinations
// against the plain model (which asks the region itself, PtInRegion, what it contains), handles
// that are not regions, and the caller's region left as it was.
#include <random>
#include <vector>

#include "host/host_bitmap.h"
#include "reference.h"
#include "wintest.h"

namespace {

using morvane_test::HostBitmap;
using morvane_test::Pixel;

using morvane_wintest::A;
using morvane_wintest::I;

int32_t Clip(morvane_wintest::WinTest& t, const HostBitmap& dst, int32_t x, int32_t y, int32_t w,
             int32_t h, const HostBitmap& src, int32_t sx, int32_t sy, HRGN region) {
  return t.Call("ClipBlt",
                {A(dst.desc()), I(x), I(y), I(w), I(h), A(src.desc()), I(sx), I(sy), A(region)});
}

void Fill(HostBitmap& bmp, uint32_t seed) {
  std::mt19937 rng(seed);
  bmp.FillRandom(rng);
}

// The model's answer for the same call; a null region clips nothing.
int32_t Model(HostBitmap& dst, int32_t x, int32_t y, int32_t w, int32_t h, const HostBitmap& src,
              int32_t sx, int32_t sy, HRGN region) {
  return morvane_test::RefClipBlt(dst, x, y, w, h, src, sx, sy, [&](int64_t j, int64_t i) {
    return region == nullptr || PtInRegion(region, int(j), int(i));
  });
}

// Clips the same scene through the DLL and through the model, on bitmaps of equal content.
bool MatchesModel(morvane_wintest::WinTest& t, int32_t dw, int32_t dh, int32_t sw, int32_t sh,
                  uint32_t seed, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy,
                  HRGN region) {
  HostBitmap dst(dw, dh), want(dw, dh), src(sw, sh);
  Fill(dst, seed);
  Fill(want, seed);
  Fill(src, seed + 1);
  const int32_t got = Clip(t, dst, x, y, w, h, src, sx, sy, region);
  return got == Model(want, x, y, w, h, src, sx, sy, region) && dst.Snapshot() == want.Snapshot();
}

std::vector<unsigned char> RegionBytes(HRGN region) {
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<unsigned char> bytes(size);
  if (size != 0) GetRegionData(region, size, reinterpret_cast<RGNDATA*>(bytes.data()));
  return bytes;
}

// Many small rectangles (1 to 4 rows, 1 to 12 columns) scattered over w x h, as glyphs are.
HRGN Glyphs(uint32_t seed, int count, int w, int h) {
  std::mt19937 rng(seed);
  auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  for (int n = 0; n < count; ++n) {
    const int l = uni(-2, w), tp = uni(-2, h);
    HRGN part = CreateRectRgn(l, tp, l + uni(1, 12), tp + uni(1, 4));
    CombineRgn(region, region, part, RGN_OR);
    DeleteObject(part);
  }
  return region;
}

HRGN Combined(HRGN a, HRGN b, int mode) {
  HRGN out = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(out, a, b, mode);
  DeleteObject(a);
  DeleteObject(b);
  return out;
}

}  // namespace

WIN_GROUP(ClipBltRegions) {
  // A region covering the requested rectangle, and no region, both give RopBlt's SRCCOPY; also
  // with the rectangle cut at the destination's left edge.
  for (int32_t x : {2, -3}) {
    HostBitmap region_dst(12, 10), null_dst(12, 10), rop_dst(12, 10), src(9, 8);
    Fill(region_dst, 1);
    Fill(null_dst, 1);
    Fill(rop_dst, 1);
    Fill(src, 2);
    HRGN covering = CreateRectRgn(0, 0, 9, 8);
    WIN_CHECK_EQ(t, Clip(t, region_dst, x, 1, 9, 8, src, 0, 0, covering), BLT_DONE);
    WIN_CHECK_EQ(t, Clip(t, null_dst, x, 1, 9, 8, src, 0, 0, nullptr), BLT_DONE);
    WIN_CHECK_EQ(t,
                 t.Call("RopBlt", {A(rop_dst.desc()), I(x), 1, 9, 8, A(src.desc()), 0, 0, SRCCOPY}),
                 BLT_DONE);
    WIN_CHECK_MSG(t, region_dst.Snapshot() == rop_dst.Snapshot(), "x " + std::to_string(x));
    WIN_CHECK_MSG(t, null_dst.Snapshot() == rop_dst.Snapshot(), "x " + std::to_string(x));
    DeleteObject(covering);
  }

  // An empty region: nothing drawn, still done.
  HostBitmap dst(8, 8, {1, 2, 3, 255}), paint(8, 8, {200, 150, 100, 255});
  HRGN empty = CreateRectRgn(0, 0, 0, 0);
  WIN_CHECK_EQ(t, Clip(t, dst, 0, 0, 8, 8, paint, 0, 0, empty), BLT_DONE);
  for (const Pixel& p : dst.Snapshot()) WIN_CHECK(t, p == (Pixel{1, 2, 3, 255}));
  DeleteObject(empty);

  // The left half.
  HRGN left = CreateRectRgn(0, 0, 3, 8);
  WIN_CHECK_EQ(t, Clip(t, dst, 1, 0, 6, 8, paint, 0, 0, left), BLT_DONE);
  for (int32_t x = 0; x < 8; ++x) {
    const Pixel want = x >= 1 && x < 4 ? Pixel{200, 150, 100, 255} : Pixel{1, 2, 3, 255};
    WIN_CHECK_MSG(t, dst.Get(x, 5) == want, "column " + std::to_string(x));
  }
  DeleteObject(left);

  // A transparent source inside the region.
  HostBitmap clear(8, 8, {9, 9, 9, 0}), before(8, 8, {1, 2, 3, 255});
  HRGN all = CreateRectRgn(-5, -5, 20, 20);
  WIN_CHECK_EQ(t, Clip(t, before, 0, 0, 8, 8, clear, 0, 0, all), BLT_DONE);
  for (const Pixel& p : before.Snapshot()) WIN_CHECK(t, p == (Pixel{1, 2, 3, 255}));
  DeleteObject(all);
}

WIN_GROUP(ClipBltShapes) {
  struct Shape {
    const char* name;
    HRGN region;
  } shapes[] = {
      {"ellipse", CreateEllipticRgn(0, 0, 14, 11)},
      {"two ellipses",
       Combined(CreateEllipticRgn(0, 0, 10, 10), CreateEllipticRgn(5, 3, 16, 12), RGN_OR)},
      {"frame", Combined(CreateRectRgn(0, 0, 14, 12), CreateRectRgn(3, 3, 9, 8), RGN_DIFF)},
      {"crossing", Combined(CreateRectRgn(2, 0, 6, 12), CreateRectRgn(0, 4, 14, 7), RGN_XOR)},
      {"negative", CreateEllipticRgn(-6, -4, 8, 9)},
  };
  struct Scene {
    int32_t x, y, sx, sy;
  } scenes[] = {{2, 1, 0, 0}, {-3, 2, 1, 0}, {3, -4, 0, 1}, {8, 6, 2, 2}, {1, 1, -2, -3}};
  uint32_t seed = 10;
  for (const Shape& shape : shapes) {
    for (const Scene& s : scenes) {
      WIN_CHECK_MSG(
          t, MatchesModel(t, 16, 13, 15, 12, seed++, s.x, s.y, 14, 12, s.sx, s.sy, shape.region),
          std::string(shape.name) + " at " + std::to_string(s.x) + "," + std::to_string(s.y));
    }
    DeleteObject(shape.region);
  }
  // Glyph-like scatters of small rectangles, and an ellipse of a few hundred rectangles, more than
  // any buffer kept on the stack.
  for (uint32_t glyphs = 0; glyphs < 3; ++glyphs) {
    HRGN scatter = Glyphs(glyphs, 150, 60, 40);
    WIN_CHECK_MSG(t, MatchesModel(t, 64, 44, 62, 42, 50 + glyphs, -2, 1, 62, 42, 1, 0, scatter),
                  "glyphs " + std::to_string(glyphs));
    DeleteObject(scatter);
  }
  HRGN large = CreateEllipticRgn(0, 0, 300, 220);
  WIN_CHECK(t, MatchesModel(t, 310, 230, 300, 220, 99, 4, 3, 300, 220, 0, 0, large));
  DeleteObject(large);
}

WIN_GROUP(ClipBltSameBitmap) {
  HRGN region = Combined(CreateEllipticRgn(0, 0, 9, 9), CreateRectRgn(5, 0, 9, 3), RGN_OR);
  const int32_t shifts[][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}, {2, -1}, {0, 0}};
  for (const auto& shift : shifts) {
    HostBitmap bmp(12, 11), want(12, 11);
    Fill(bmp, 20);
    Fill(want, 20);
    const int32_t x = 2 + shift[0], y = 1 + shift[1];
    WIN_CHECK_EQ(t, Clip(t, bmp, x, y, 9, 9, bmp, 2, 1, region), BLT_DONE);
    Model(want, x, y, 9, 9, want, 2, 1, region);
    WIN_CHECK_MSG(t, bmp.Snapshot() == want.Snapshot(),
                  std::to_string(shift[0]) + "," + std::to_string(shift[1]));
  }
  DeleteObject(region);
}

WIN_GROUP(ClipBltHandles) {
  HostBitmap dst(6, 6, {1, 2, 3, 255}), src(6, 6, {200, 150, 100, 255});
  const BitmapDesc none{0, 6, 6};
  HRGN deleted = CreateRectRgn(0, 0, 6, 6);
  DeleteObject(deleted);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  const HRGN not_regions[] = {reinterpret_cast<HRGN>(uintptr_t{0x1234}), deleted,
                              reinterpret_cast<HRGN>(brush)};
  for (HRGN handle : not_regions) {
    WIN_CHECK_EQ(t, Clip(t, dst, 0, 0, 6, 6, src, 0, 0, handle), BLT_EMPTY);
  }
  DeleteObject(brush);
  for (const Pixel& p : dst.Snapshot()) WIN_CHECK(t, p == (Pixel{1, 2, 3, 255}));

  // The caller's region comes back as it went in, still the caller's to use and delete.
  HRGN region = Combined(CreateEllipticRgn(0, 0, 6, 6), CreateRectRgn(2, 2, 4, 4), RGN_XOR);
  const std::vector<unsigned char> before = RegionBytes(region);
  WIN_CHECK_EQ(t, Clip(t, dst, 0, 0, 6, 6, src, 0, 0, region), BLT_DONE);
  WIN_CHECK_EQ(t, Clip(t, dst, -2, 1, 6, 6, dst, 0, 0, region), BLT_DONE);
  WIN_CHECK(t, !before.empty() && RegionBytes(region) == before);
  // Results decided before the region is looked at: empty fit, then a bitmap without pixels.
  WIN_CHECK_EQ(t, Clip(t, dst, 6, 0, 4, 4, src, 0, 0, region), BLT_EMPTY);
  WIN_CHECK_EQ(t, t.Call("ClipBlt", {A(&none), 0, 0, 4, 4, A(src.desc()), 0, 0, A(region)}),
               BLT_EMPTY);
  WIN_CHECK_EQ(t, t.Call("ClipBlt", {A(dst.desc()), 0, 0, 4, 4, A(&none), 0, 0, A(region)}),
               BLT_EMPTY);
  WIN_CHECK(t, RegionBytes(region) == before);
  WIN_CHECK(t, DeleteObject(region) != 0);
}

WIN_GROUP(ClipBltRandomScenes) {
  for (uint32_t seed = 0; seed < 150; ++seed) {
    std::mt19937 rng(seed);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    HRGN region = nullptr;
    if (seed % 6 != 0) {
      region = CreateRectRgn(0, 0, 0, 0);
      for (int n = uni(1, 4); n > 0; --n) {
        const int l = uni(-5, 18), tp = uni(-5, 14), r = l + uni(0, 14), b = tp + uni(0, 12);
        HRGN part = uni(0, 1) ? CreateEllipticRgn(l, tp, r, b) : CreateRectRgn(l, tp, r, b);
        CombineRgn(region, region, part, uni(0, 3) ? RGN_OR : RGN_XOR);
        DeleteObject(part);
      }
    }
    const int32_t dw = uni(1, 17), dh = uni(1, 13), sw = uni(1, 17), sh = uni(1, 13);
    const int32_t x = uni(-6, dw + 1), y = uni(-6, dh + 1), w = uni(-1, 20), h = uni(-1, 16);
    const int32_t sx = uni(-6, 18), sy = uni(-6, 14);
    WIN_CHECK_MSG(t, MatchesModel(t, dw, dh, sw, sh, seed * 3, x, y, w, h, sx, sy, region),
                  "seed " + std::to_string(seed));
    if (region != nullptr) DeleteObject(region);
  }
}
