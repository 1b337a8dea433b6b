// BlendBlt and RopBlt on arbitrary descriptors, coordinates, sizes and codes, with pixel buffers
// against inaccessible pages. Every run is checked against the plain model: same result, same
// pixels, nothing changed outside the requested rectangle, and the source untouched; then the same
// call through image records laid out another way must give the same result and bytes.
#include "fuzz_scene.h"
#include "reference.h"

using morvane_test::Family;

namespace {

void Fail(const char* what) {
  __builtin_trap();
  (void)what;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  morvane_fuzz::FuzzInput in(data, size);
  const Family family = in.Bit() ? Family::kRop : Family::kBlend;
  morvane_fuzz::SceneShape shape = morvane_fuzz::ReadSceneShape(in);
  const uint8_t flags = in.Byte();
  shape.self = flags & 1, shape.null_dst = (flags & 0x1E) == 0x1E;
  shape.null_src = (flags & 0xE0) == 0xE0;
  const int32_t x = in.Coord(), y = in.Coord(), w = in.Coord(), h = in.Coord();
  const int32_t sx = in.Coord(), sy = in.Coord();
  const uint8_t code_sel = in.Byte();
  uint32_t code = family == Family::kBlend ? code_sel % 6 : morvane_test::kRops[code_sel % 7];
  if (code_sel >= 240) code = in.Word();
  morvane_fuzz::FuzzScene scene(shape, in.Word());
  const morvane_fuzz::FuzzImages images(scene, in.Byte());

  const BitmapDesc* d = scene.dst_desc();
  const BitmapDesc* s = scene.src_desc();
  const int32_t got = family == Family::kBlend ? BlendBlt(d, x, y, w, h, s, sx, sy, code)
                                               : RopBlt(d, x, y, w, h, s, sx, sy, code);
  if (scene.has_null_view()) {
    // Without pixels nothing is drawn: 1 whatever the rest.
    if (got != BLT_EMPTY || !scene.dst_unchanged()) Fail("null view");
    return 0;
  }
  const int32_t ref =
      morvane_test::RefBlit(family, scene.want, x, y, w, h, scene.want_src(), sx, sy, code);
  if (got != ref) Fail("result");
  if (!scene.MatchesModel()) Fail("pixels");
  const int32_t got_image =
      family == Family::kBlend
          ? morvane_blend(images.dst_record(), x, y, w, h, images.src_record(), sx, sy,
                          int32_t(code))
          : morvane_rop(images.dst_record(), x, y, w, h, images.src_record(), sx, sy, code);
  if (!images.Agree(got_image, got, scene)) Fail("image records");
  // Only pixels inside the requested rectangle may change.
  const auto after = scene.dst.Snapshot();
  for (int32_t py = 0; py < shape.dh; ++py) {
    for (int32_t px = 0; px < shape.dw; ++px) {
      const bool inside = int64_t{px} >= x && int64_t{px} < int64_t{x} + w && int64_t{py} >= y &&
                          int64_t{py} < int64_t{y} + h;
      const size_t i = size_t(py) * size_t(shape.dw) + size_t(px);
      if (!inside && after[i] != scene.dst_before[i]) Fail("outside the rectangle");
    }
  }
  return 0;
}
