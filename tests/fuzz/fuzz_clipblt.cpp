// ClipBlt on arbitrary descriptors, coordinates, sizes and region records, well-formed or not,
// with pixel buffers and records against inaccessible pages. Every run is checked against the
// plain model: a record that is a region clips like the model; any other draws nothing and gives
// BLT_EMPTY; the source is never changed.
#include "fuzz_scene.h"
#include "reference.h"
#include "region_record.h"

using morvane_test::RecordHeader;
using morvane_test::Rects;

namespace {

void Fail(const char* what) {
  __builtin_trap();
  (void)what;
}

// Whether the library must take a record with these header words as a region.
bool IsRegion(uint32_t size, uint32_t type, uint32_t count, uint32_t rgn_size) {
  return size == 32 && type == 1 && count <= 268435454u &&
         (rgn_size == 0 || rgn_size >= count * 16u);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  morvane_fuzz::FuzzInput in(data, size);
  morvane_fuzz::SceneShape shape = morvane_fuzz::ReadSceneShape(in);
  const uint8_t flags = in.Byte();
  const bool null_region = (flags & 6) == 6;
  shape.self = flags & 1, shape.null_dst = (flags & 0x38) == 0x38;
  shape.null_src = (flags & 0xC0) == 0xC0;
  const int32_t x = in.Coord(), y = in.Coord(), w = in.Coord(), h = in.Coord();
  const int32_t sx = in.Coord(), sy = in.Coord();

  Rects rects(in.Byte() % 10);
  for (MorvaneRgnRect& r : rects) {
    r.left = in.Coord(), r.top = in.Coord(), r.right = in.Coord(), r.bottom = in.Coord();
  }
  // Mostly well-formed headers; sometimes any words, kept from claiming more rectangles than the
  // record holds without saying so in nRgnSize (that would be a record lying about its size).
  const size_t tail = in.Byte() % 4;
  uint32_t fields[4] = {32, 1, uint32_t(rects.size()), in.Bit() ? 0u : uint32_t(rects.size()) * 16};
  if (in.Byte() >= 224) {
    for (uint32_t& f : fields) f = in.Bit() ? in.Word() : in.Byte() % 40;
  }
  const bool region_ok = IsRegion(fields[0], fields[1], fields[2], fields[3]);
  if (region_ok && fields[2] > rects.size()) fields[2] = uint32_t(rects.size());
  const morvane_test::RegionRecord record(
      rects, RecordHeader{fields[0], fields[1], fields[2], fields[3]}, tail);
  morvane_fuzz::FuzzScene scene(shape, in.Word());
  const morvane_fuzz::FuzzImages images(scene, in.Byte());

  const int32_t got = ClipBlt(scene.dst_desc(), x, y, w, h, scene.src_desc(), sx, sy,
                              null_region ? nullptr : record.get());
  if (scene.has_null_view() || (!null_region && !region_ok)) {
    if (got != BLT_EMPTY || !scene.dst_unchanged()) Fail("nothing may be drawn");
    return 0;
  }
  const Rects read(rects.begin(), rects.begin() + (null_region ? 0 : fields[2]));
  const int32_t ref = morvane_test::RefClipBlt(
      scene.want, x, y, w, h, scene.want_src(), sx, sy,
      [&](int64_t j, int64_t i) { return null_region || morvane_test::RectsContain(read, j, i); });
  if (got != ref) Fail("result");
  if (!scene.MatchesModel()) Fail("pixels");
  std::vector<MorvaneRect> list(read.size() + 1);
  for (size_t i = 0; i < read.size(); ++i) {
    list[i] = {read[i].left, read[i].top, read[i].right, read[i].bottom};
  }
  const int32_t got_image =
      morvane_clip(images.dst_record(), x, y, w, h, images.src_record(), sx, sy,
                   null_region ? nullptr : list.data(), int32_t(read.size()));
  if (!images.Agree(got_image, got, scene)) Fail("image records");
  return 0;
}
