// The BMP packer in memory: the format's worked examples byte for byte, row order, channel order
// and padding on a picture that shows every mix-up, and the sizes it refuses.
#include "export/bitmap_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "bitmap/pixel_view.h"
#include "bmp_model.h"
#include "host/host_bitmap.h"

namespace morvane_test {
namespace {

using morvane::BitmapFileSize;

std::vector<uint8_t> Pack(const HostBitmap& bitmap) {
  uint32_t size = 0;
  EXPECT_TRUE(BitmapFileSize(bitmap.width(), bitmap.height(), &size));
  std::vector<uint8_t> out(size, 0xEE);  // every byte, padding included, must be written
  morvane::PackBitmapFile(out.data(), morvane::MakePixelView(bitmap.desc()), size);
  return out;
}

uint32_t Word(const std::vector<uint8_t>& file, size_t at) {
  return uint32_t{file[at]} | uint32_t{file[at + 1]} << 8 | uint32_t{file[at + 2]} << 16 |
         uint32_t{file[at + 3]} << 24;
}

TEST(BitmapPack, TwoByOneByteForByte) {
  HostBitmap bitmap(2, 1);
  bitmap.Set(0, 0, {1, 2, 3, 4});
  bitmap.Set(1, 0, {5, 6, 7, 8});
  const std::vector<uint8_t> want = {
      'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,         // file header
      40,  0,   0,  0, 2, 0, 0, 0, 1, 0, 0,  0, 1, 0, 24, 0,  // size, w, h, planes, bits
      0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0,
      0,   0,   0,  0, 0, 0, 0, 0,  // the rest: zero
      1,   2,   3,  5, 6, 7, 0, 0};
  EXPECT_EQ(Pack(bitmap), want);
}

TEST(BitmapPack, RowSizesAndPadding) {
  HostBitmap four(4, 3), three(3, 2);
  std::mt19937 rng(1);
  four.FillRandom(rng);
  three.FillRandom(rng);
  const auto a = Pack(four), b = Pack(three);
  EXPECT_EQ(a.size(), 90u);
  EXPECT_EQ(Word(a, 2), 90u);
  EXPECT_EQ(a, ModelBitmapFile(four));
  EXPECT_EQ(b.size(), 78u);
  EXPECT_EQ(Word(b, 2), 78u);
  for (size_t at : {54 + 9, 54 + 10, 54 + 11, 66 + 9, 66 + 10, 66 + 11}) EXPECT_EQ(b[at], 0) << at;
  EXPECT_EQ(b, ModelBitmapFile(three));
}

TEST(BitmapPack, AlphaNeverReachesTheFile) {
  HostBitmap bitmap(2, 1, {9, 8, 7, 0});
  bitmap.Set(1, 0, {1, 2, 3, 255});
  const auto file = Pack(bitmap);
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 54, file.end()),
            (std::vector<uint8_t>{9, 8, 7, 1, 2, 3, 0, 0}));
}

TEST(BitmapPack, EmptyImagesAreTheHeadersAlone) {
  for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 5}, std::pair{7, 0}}) {
    HostBitmap bitmap(w, h);
    const auto file = Pack(bitmap);
    ASSERT_EQ(file.size(), 54u);
    EXPECT_EQ(Word(file, 2), 54u);
    EXPECT_EQ(Word(file, 18), uint32_t(w));
    EXPECT_EQ(Word(file, 22), uint32_t(h));
    EXPECT_EQ(file, ModelBitmapFile(bitmap));
  }
}

// Widths 1 to 4 need 1, 2, 3 and 0 padding bytes; both fences catch reads past either end.
TEST(BitmapPack, PictureAtEveryPadding) {
  for (int32_t w = 1; w <= 4; ++w) {
    for (Fence fence : {Fence::kEnd, Fence::kStart}) {
      HostBitmap bitmap(w, 5, {}, fence);
      PaintF(bitmap);
      const auto file = Pack(bitmap);
      const size_t row = size_t(3 * w + 3) & ~size_t{3};
      ASSERT_EQ(file.size(), 54 + 5 * row) << w;
      // The file starts with the picture's bottom-left pixel, blue first.
      const Pixel bottom_left = bitmap.Get(0, 4);
      EXPECT_EQ(file[54], bottom_left.b);
      EXPECT_EQ(file[55], bottom_left.g);
      EXPECT_EQ(file[56], bottom_left.r);
      for (size_t r = 0; r < 5; ++r) {
        for (size_t i = 3 * size_t(w); i < row; ++i) EXPECT_EQ(file[54 + r * row + i], 0);
      }
      EXPECT_EQ(file, ModelBitmapFile(bitmap)) << "width " << w;
    }
  }
}

TEST(BitmapPack, RandomImagesMatchTheModel) {
  for (uint32_t seed = 0; seed < 200; ++seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int32_t> size(1, 37);
    HostBitmap bitmap(size(rng), size(rng), {}, seed % 2 ? Fence::kStart : Fence::kEnd);
    bitmap.FillRandom(rng);
    ASSERT_EQ(Pack(bitmap), ModelBitmapFile(bitmap)) << "seed " << seed;
  }
}

struct SizeCase {
  int32_t width, height;
  bool fits;
  uint32_t size;
};

TEST(BitmapFileSize, LimitsAndOverflow) {
  const SizeCase cases[] = {
      {0, 0, true, 54},
      {2, 1, true, 62},
      {0, INT32_MAX, true, 54},
      {INT32_MAX, 0, true, 54},
      {1, 1073741810, true, 4294967294u},  // the largest file: 4 bytes a row
      {1, 1073741811, false, 0},           // four bytes more than 32 bits hold
      {1431655746, 1, true, 4294967294u},  // the widest single row
      {1431655747, 1, false, 0},
      {65536, 65536, false, 0},  // in 32 bits the pixel bytes wrap to 0 and the size to 54
      {INT32_MAX, INT32_MAX, false, 0},
      {-1, 1, false, 0},
      {1, -1, false, 0},
      {INT32_MIN, 0, false, 0},
  };
  for (const SizeCase& c : cases) {
    uint32_t size = 12345;
    EXPECT_EQ(BitmapFileSize(c.width, c.height, &size), c.fits) << c.width << " x " << c.height;
    if (c.fits) {
      EXPECT_EQ(size, c.size) << c.width << " x " << c.height;
    }
  }
}

}  // namespace
}  // namespace morvane_test
