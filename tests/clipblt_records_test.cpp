// ClipBlt's region records: which records are regions, that nothing past the declared bytes is
// read, and the order in which the results are decided.
#include <gtest/gtest.h>

#include "host/host_bitmap.h"
#include "region_record.h"

namespace morvane_test {
namespace {

const Pixel kDest{1, 2, 3, 255}, kPaint{200, 150, 100, 255};

// ClipBlt of a 6 x 6 opaque square through `region`; returns the result, and whether the
// destination changed.
int32_t ClipSquare(MorvaneRegion region, bool* changed) {
  HostBitmap dst(6, 6, kDest), src(6, 6, kPaint);
  const int32_t result = ClipBlt(dst.desc(), 0, 0, 6, 6, src.desc(), 0, 0, region);
  *changed = false;
  for (const Pixel& p : dst.Snapshot()) *changed |= p != kDest;
  return result;
}

TEST(ClipBltRecords, MalformedHeadersAreNotRegions) {
  const Rects rects = {{0, 0, 6, 6}, {1, 1, 2, 2}, {2, 2, 3, 3}};
  // Each against the guard page: a record whose counts were believed would be read past its end.
  const RecordHeader bad[] = {
      // dwSize other than 32
      {0, 1, -1, -1},
      {31, 1, -1, -1},
      {33, 1, -1, -1},
      {40, 1, -1, -1},
      // iType other than rectangles
      {32, 0, -1, -1},
      {32, 2, -1, -1},
      // nRgnSize short of nCount * 16
      {32, 1, 3, 47},
      {32, 1, 3, 16},
      {32, 1, 4, 48},
      // counts whose rectangles no 32-bit size can hold
      {32, 1, 0xFFFFFFFF, 0},
      {32, 1, 268435455, 0},
      {32, 1, 0x10000001, 16},
  };

  for (const RecordHeader& header : bad) {
    const RegionRecord record(rects, header);
    bool changed;
    EXPECT_EQ(ClipSquare(record.get(), &changed), BLT_EMPTY)
        << header.size << " " << header.type << " " << header.count << " " << header.rgn_size;
    EXPECT_FALSE(changed);
  }
}

TEST(ClipBltRecords, SizesThatAgreeAreRegions) {
  const Rects rects = {{0, 0, 3, 6}, {3, 0, 6, 6}};
  const RecordHeader good[] = {
      {32, 1, -1, -1},  // nRgnSize exactly nCount * 16
      {32, 1, -1, 0},   // nRgnSize left 0
      {32, 1, -1, 35},  // larger than needed, with the surplus present
      {32, 1, 1, -1},   // fewer rectangles than the record holds: only the first is read
  };
  for (const RecordHeader& header : good) {
    const RegionRecord record(rects, header, header.rgn_size == 35 ? 3 : 0);
    bool changed;
    EXPECT_EQ(ClipSquare(record.get(), &changed), BLT_DONE)
        << header.count << " " << header.rgn_size;
    EXPECT_TRUE(changed);
  }
  HostBitmap dst(6, 6, kDest), src(6, 6, kPaint);
  const RegionRecord first_only(rects, {32, 1, 1, -1});
  EXPECT_EQ(ClipBlt(dst.desc(), 0, 0, 6, 6, src.desc(), 0, 0, first_only.get()), BLT_DONE);
  EXPECT_EQ(dst.Get(2, 5), kPaint);
  EXPECT_EQ(dst.Get(3, 0), kDest);
}

TEST(ClipBltRecords, ResultsAreDecidedBeforeTheRegionIsRead) {
  // A region address inside an inaccessible page: only a call that reads it would fault.
  GuardedBlock block(64);
  const auto unreadable = reinterpret_cast<MorvaneRegion>(block.begin() - 64);
  HostBitmap dst(6, 6, kDest), src(6, 6, kPaint);
  const BitmapDesc none{0, 6, 6};
  EXPECT_EQ(ClipBlt(dst.desc(), 6, 0, 4, 4, src.desc(), 0, 0, unreadable), BLT_EMPTY);
  EXPECT_EQ(ClipBlt(dst.desc(), 0, 0, 4, 0, src.desc(), 0, 0, unreadable), BLT_EMPTY);
  EXPECT_EQ(ClipBlt(dst.desc(), 0, 0, 4, 4, &none, 0, 0, unreadable), BLT_EMPTY);
  EXPECT_EQ(ClipBlt(&none, 0, 0, 4, 4, src.desc(), 0, 0, unreadable), BLT_EMPTY);
  // Bitmaps without pixels come before a malformed region, and neither draws.
  const RegionRecord malformed({{0, 0, 6, 6}}, {7, 1, -1, -1});
  EXPECT_EQ(ClipBlt(&none, 0, 0, 4, 4, src.desc(), 0, 0, malformed.get()), BLT_EMPTY);
  for (const Pixel& p : dst.Snapshot()) EXPECT_EQ(p, kDest);
}

}  // namespace
}  // namespace morvane_test
