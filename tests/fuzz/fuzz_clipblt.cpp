// ClipBlt on arbitrary descriptors, coordinates, sizes and region records, well-formed or not,
// with pixel buffers and records against inaccessible pages. Every run is checked against the
// plain model: a record that is a region clips like the model; any other draws nothing and gives
// BLT_EMPTY; the source is never changed.
#include <memory>
#include <random>

#include "fuzz_input.h"
#include "host/host_bitmap.h"
#include "reference.h"
#include "region_record.h"

using morvane_test::Fence;
using morvane_test::HostBitmap;
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
  const int32_t dw = in.Size(), dh = in.Size(), sw = in.Size(), sh = in.Size();
  const Fence dfence = in.Bit() ? Fence::kStart : Fence::kEnd;
  const Fence sfence = in.Bit() ? Fence::kStart : Fence::kEnd;
  const uint8_t flags = in.Byte();
  const bool self = flags & 1, null_region = (flags & 6) == 6;
  const bool null_dst = (flags & 0x38) == 0x38, null_src = (flags & 0xC0) == 0xC0;
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
  const int32_t got = ClipBlt(d, x, y, w, h, s, sx, sy, null_region ? nullptr : record.get());

  if (null_dst || null_src || (!null_region && !region_ok)) {
    if (got != BLT_EMPTY || dst.Snapshot() != dst_before) Fail("nothing may be drawn");
    return 0;
  }
  const Rects read(rects.begin(), rects.begin() + (null_region ? 0 : fields[2]));
  HostBitmap& want_src = self ? want : src;
  const int32_t ref = morvane_test::RefClipBlt(
      want, x, y, w, h, want_src, sx, sy,
      [&](int64_t j, int64_t i) { return null_region || morvane_test::RectsContain(read, j, i); });
  if (got != ref) Fail("result");
  if (dst.Snapshot() != want.Snapshot()) Fail("pixels");
  if (!self && src.Snapshot() != src_before) Fail("source changed");
  return 0;
}
