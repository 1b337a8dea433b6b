// SaveToBitmapA and SaveToBitmapW as a host calls them, on real files: the bytes written, paths of
// every kind, and the modes of new and replaced files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <random>

#include "bmp_model.h"
#include "host/host_bitmap.h"
#include "host/scratch.h"
#include "image_copy.h"
#include "save_helpers.h"

namespace morvane_test {
namespace {

TEST(SaveBitmap, ExamplesByteForByteThroughBothCalls) {
  HostBitmap two(2, 1), four(4, 3), three(3, 2), clear(1, 1, {9, 8, 7, 0});
  HostBitmap empty(0, 0), no_rows(5, 0), no_columns(0, 3);
  two.Set(0, 0, {1, 2, 3, 4});
  two.Set(1, 0, {5, 6, 7, 8});
  std::mt19937 rng(7);
  four.FillRandom(rng);
  three.FillRandom(rng);
  HostBitmap f1(1, 5), f2(2, 5), f3(3, 5), f4(4, 5);
  for (HostBitmap* f : {&f1, &f2, &f3, &f4}) PaintF(*f);
  ScratchDir dir;
  for (const HostBitmap* b :
       {&two, &four, &three, &clear, &empty, &no_rows, &no_columns, &f1, &f2, &f3, &f4}) {
    const auto want = ModelBitmapFile(*b);
    const std::string note = std::to_string(b->width()) + " x " + std::to_string(b->height());
    EXPECT_EQ(SaveToBitmapA((dir / "a.bmp").c_str(), b->desc()), SAVE_DONE) << note;
    EXPECT_EQ(FileBytes(dir / "a.bmp"), want) << note;
    EXPECT_EQ(SaveToBitmapW(Widen(dir / "w.bmp").c_str(), b->desc()), SAVE_DONE) << note;
    EXPECT_EQ(FileBytes(dir / "w.bmp"), want) << note;
    // The same pixels as an image record, laid out every way, give the same file.
    for (int layout = 0; b->width() > 0 && b->height() > 0 && layout < int(ImageLayout::kCount);
         ++layout) {
      const ImageCopy image(*b, ImageLayout(layout), Fence::kEnd);
      EXPECT_EQ(morvane_save_bmp((dir / "i.bmp").c_str(), image.image()), SAVE_DONE) << note;
      EXPECT_EQ(FileBytes(dir / "i.bmp"), want) << note << ", layout " << layout;
    }
  }
  const MorvaneImage none{nullptr, 5, 0, 0};  // no pixels: the headers alone
  EXPECT_EQ(morvane_save_bmp((dir / "i.bmp").c_str(), &none), SAVE_DONE);
  EXPECT_EQ(FileBytes(dir / "i.bmp"), ModelBitmapFile(no_rows));
  std::remove((dir / "i.bmp").c_str());
  EXPECT_EQ(FileBytes(dir / "a.bmp").size(), 54u + 5 * 12);
  EXPECT_EQ(ListNames(dir.path()), (Names{"a.bmp", "w.bmp"}));
}

TEST(SaveBitmap, SavingOverALongerFileLeavesOnlyTheNewBytes) {
  ScratchDir dir;
  WriteBytes(dir / "shot.bmp", OldBytes(5000));
  HostBitmap two(2, 1, {1, 2, 3, 4});
  ASSERT_EQ(SaveToBitmapA((dir / "shot.bmp").c_str(), two.desc()), SAVE_DONE);
  EXPECT_EQ(FileBytes(dir / "shot.bmp"), ModelBitmapFile(two));
  EXPECT_EQ(ListNames(dir.path()), (Names{"shot.bmp"}));
}

TEST(SaveBitmap, NonAsciiNamesInBothForms) {
  ScratchDir dir;
  HostBitmap bitmap(3, 2);
  PaintF(bitmap);
  // "スクリーン写真-é-😀.bmp": the emoji is a surrogate pair in UTF-16 and four bytes in UTF-8.
  const std::string utf8 =
      "\xE3\x82\xB9\xE3\x82\xAF\xE3\x83\xAA\xE3\x83\xBC\xE3\x83\xB3\xE5\x86\x99\xE7\x9C\x9F-"
      "\xC3\xA9-"
      "\xF0\x9F\x98\x80.bmp";
  const std::u16string utf16 = u"\u30B9\u30AF\u30EA\u30FC\u30F3\u5199\u771F-\u00E9-\U0001F600.bmp";
  ASSERT_EQ(SaveToBitmapW((Widen(dir.path()) + u"/" + utf16).c_str(), bitmap.desc()), SAVE_DONE);
  EXPECT_EQ(ListNames(dir.path()), (Names{utf8}));
  EXPECT_EQ(FileBytes(dir / utf8), ModelBitmapFile(bitmap));
  PaintF(bitmap);
  bitmap.Set(0, 0, {1, 1, 1, 1});
  ASSERT_EQ(SaveToBitmapA((dir / utf8).c_str(), bitmap.desc()), SAVE_DONE);
  EXPECT_EQ(ListNames(dir.path()), (Names{utf8}));
  EXPECT_EQ(FileBytes(dir / utf8), ModelBitmapFile(bitmap));
}

TEST(SaveBitmap, PathsLongerThan260Units) {
  ScratchDir dir;
  HostBitmap bitmap(4, 3);
  PaintF(bitmap);
  // Eight folders of forty CJK characters: over 320 UTF-16 units and 960 UTF-8 bytes.
  std::string utf8 = dir.path();
  std::u16string utf16 = Widen(dir.path());
  for (int level = 0; level < 8; ++level) {
    std::string name8;
    std::u16string name16;
    for (int i = 0; i < 40; ++i) name8 += "\xE5\x86\x99", name16 += u'\u5199';
    utf8 += "/" + name8 + std::to_string(level);
    utf16 += u"/" + name16 + Widen(std::to_string(level));
    ASSERT_EQ(mkdir(utf8.c_str(), 0755), 0);
  }
  ASSERT_GT(utf16.size(), 320u);
  ASSERT_EQ(SaveToBitmapW((utf16 + u"/wide.bmp").c_str(), bitmap.desc()), SAVE_DONE);
  EXPECT_EQ(FileBytes(utf8 + "/wide.bmp"), ModelBitmapFile(bitmap));
  ASSERT_EQ(SaveToBitmapA((utf8 + "/narrow.bmp").c_str(), bitmap.desc()), SAVE_DONE);
  EXPECT_EQ(FileBytes(utf8 + "/narrow.bmp"), ModelBitmapFile(bitmap));
  EXPECT_EQ(ListNames(utf8), (Names{"narrow.bmp", "wide.bmp"}));
}

TEST(SaveBitmap, RelativePathsAreTakenFromTheWorkingFolder) {
  ScratchDir dir;
  HostBitmap bitmap(2, 2, {4, 5, 6, 7});
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  const int32_t result = SaveToBitmapA("here.bmp", bitmap.desc());
  ASSERT_EQ(chdir(cwd), 0);
  EXPECT_EQ(result, SAVE_DONE);
  EXPECT_EQ(FileBytes(dir / "here.bmp"), ModelBitmapFile(bitmap));
  EXPECT_EQ(ListNames(dir.path()), (Names{"here.bmp"}));
}

TEST(SaveBitmap, ThroughALinkUpdatesTheFileItNames) {
  ScratchDir dir;
  ASSERT_EQ(mkdir((dir / "real").c_str(), 0755), 0);
  WriteBytes(dir / "real/shot.bmp", OldBytes(100));
  ASSERT_EQ(symlink("real/shot.bmp", (dir / "link.bmp").c_str()), 0);
  HostBitmap bitmap(3, 1, {1, 2, 3, 4});
  ASSERT_EQ(SaveToBitmapA((dir / "link.bmp").c_str(), bitmap.desc()), SAVE_DONE);
  struct stat st;
  ASSERT_EQ(lstat((dir / "link.bmp").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(FileBytes(dir / "real/shot.bmp"), ModelBitmapFile(bitmap));
  EXPECT_EQ(ListNames(dir / "real"), (Names{"shot.bmp"}));
}

TEST(SaveBitmap, NewFilesFollowTheUmaskAndReplacedFilesKeepTheirMode) {
  ScratchDir dir;
  HostBitmap bitmap(1, 1);
  const mode_t old_mask = umask(027);
  const int32_t result = SaveToBitmapA((dir / "new.bmp").c_str(), bitmap.desc());
  umask(old_mask);
  ASSERT_EQ(result, SAVE_DONE);
  EXPECT_EQ(ModeOf(dir / "new.bmp"), 0640u);
  WriteBytes(dir / "kept.bmp", OldBytes(10));
  ASSERT_EQ(chmod((dir / "kept.bmp").c_str(), 0604), 0);
  ASSERT_EQ(SaveToBitmapA((dir / "kept.bmp").c_str(), bitmap.desc()), SAVE_DONE);
  EXPECT_EQ(ModeOf(dir / "kept.bmp"), 0604u);
}

}  // namespace
}  // namespace morvane_test
