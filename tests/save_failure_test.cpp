// Every failure of SaveToBitmapA and SaveToBitmapW: the result it gives, the earlier file at the
// path left exactly as it was, and no temporary file left behind. Limits and lost privileges are
// taken on in child processes.
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "bmp_model.h"
#include "host/host_bitmap.h"
#include "host/scratch.h"
#include "image_copy.h"
#include "save_helpers.h"

// AddressSanitizer's allocator reports running out of memory and stops the program instead of
// returning null, so a test that starves the allocator cannot run under it.
#if defined(__SANITIZE_ADDRESS__)
#define MORVANE_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MORVANE_TEST_ASAN 1
#endif  // __has_feature(address_sanitizer)
#endif  // __SANITIZE_ADDRESS__, __has_feature

namespace morvane_test {
namespace {

// Both calls with the same path; the results must agree.
int32_t SaveBoth(const std::string& path, const BitmapDesc* desc) {
  const int32_t narrow = SaveToBitmapA(path.c_str(), desc);
  const int32_t wide = SaveToBitmapW(Widen(path).c_str(), desc);
  EXPECT_EQ(narrow, wide) << path;
  return narrow;
}

// Runs `body` in a child; a child that reports it cannot run here skips the test.
#define RUN_CHILD_OR_SKIP(result, ...)        \
  const int result = RunInChild(__VA_ARGS__); \
  if (result == kChildSkip) GTEST_SKIP() << "not possible on this machine"

TEST(SaveFailure, BitmapProblemsComeFirstAndTouchNothing) {
  ScratchDir dir;
  const std::string target = dir / "shot.bmp";
  WriteBytes(target, OldBytes(300));
  HostBitmap live(2, 2);
  const BitmapDesc descs[] = {
      {0, 2, 2},           // no bitmap
      {live.id(), -1, 2},  // negative width
      {live.id(), 2, -1},  // negative height
      {live.id(), INT_MIN, 0},
      {live.id(), 1, 1073741811},  // 4 bytes over the largest file
      {live.id(), 65536, 65536},   // wraps to a tiny size in 32 bits
      {live.id(), INT32_MAX, INT32_MAX},
  };
  for (const BitmapDesc& d : descs) {
    const std::string note =
        std::to_string(d.id) + " " + std::to_string(d.width) + " x " + std::to_string(d.height);
    EXPECT_EQ(SaveBoth(target, &d), SAVE_BADBITMAP) << note;
    // Reported before any path problem.
    EXPECT_EQ(SaveToBitmapA(nullptr, &d), SAVE_BADBITMAP) << note;
    EXPECT_EQ(SaveToBitmapW(nullptr, &d), SAVE_BADBITMAP) << note;
    EXPECT_EQ(SaveToBitmapA((dir / "missing/x.bmp").c_str(), &d), SAVE_BADBITMAP) << note;
  }
  EXPECT_EQ(SaveToBitmapA(target.c_str(), nullptr), SAVE_BADBITMAP);
  // Image records, the same way.
  HostBitmap pixels(9, 5);
  const ImageCopy good(pixels, ImageLayout::kBottomUp, Fence::kStart);
  for (const MorvaneImage& bad : BadImageRecords(*good.image())) {
    EXPECT_EQ(morvane_save_bmp(target.c_str(), &bad), SAVE_BADBITMAP) << bad.stride;
    EXPECT_EQ(morvane_save_bmp(nullptr, &bad), SAVE_BADBITMAP) << bad.stride;
  }
  EXPECT_EQ(morvane_save_bmp(target.c_str(), nullptr), SAVE_BADBITMAP);
  EXPECT_EQ(FileBytes(target), OldBytes(300));
  EXPECT_EQ(ListNames(dir.path()), (Names{"shot.bmp"}));
}

TEST(SaveFailure, PathsThatCannotBeUsed) {
  ScratchDir dir;
  WriteBytes(dir / "file", OldBytes(40));
  ASSERT_EQ(mkdir((dir / "folder").c_str(), 0755), 0);
  HostBitmap bitmap(3, 2, {1, 2, 3, 4});
  EXPECT_EQ(SaveToBitmapA(nullptr, bitmap.desc()), SAVE_BADFILE);
  EXPECT_EQ(SaveToBitmapW(nullptr, bitmap.desc()), SAVE_BADFILE);
  EXPECT_EQ(SaveBoth("", bitmap.desc()), SAVE_BADFILE);
  EXPECT_EQ(SaveBoth(dir / "missing/shot.bmp", bitmap.desc()), SAVE_BADFILE);
  EXPECT_EQ(SaveBoth(dir / "file/shot.bmp", bitmap.desc()), SAVE_BADFILE);  // parent is a file
  EXPECT_EQ(SaveBoth(dir / "folder", bitmap.desc()), SAVE_BADFILE);
  EXPECT_EQ(SaveBoth(dir / "folder/", bitmap.desc()), SAVE_BADFILE);
  for (const char* bad : {"bad\xC3(.bmp", "bad\xC0\xAF.bmp", "bad\xED\xA0\x80.bmp", "bad\xFF.bmp",
                          "bad.bmp\xE6\x97"}) {
    EXPECT_EQ(SaveToBitmapA((dir / bad).c_str(), bitmap.desc()), SAVE_BADFILE) << bad;
  }
  const std::u16string base = Widen(dir.path()) + u"/bad";
  for (const std::u16string& tail : {std::u16string{0xD800, u'.', u'b'},
                                     std::u16string{u'.', 0xDC00}, std::u16string{u'.', 0xDBFF}}) {
    EXPECT_EQ(SaveToBitmapW((base + tail).c_str(), bitmap.desc()), SAVE_BADFILE);
  }
  EXPECT_EQ(FileBytes(dir / "file"), OldBytes(40));
  EXPECT_EQ(ListNames(dir.path()), (Names{"file", "folder"}));
  EXPECT_EQ(ListNames(dir / "folder"), Names{});
}

TEST(SaveFailure, WriteProtectedFileIsNotReplaced) {
  ScratchDir dir;
  const std::string target = dir / "locked.bmp";
  WriteBytes(target, OldBytes(200));
  ASSERT_EQ(chmod(target.c_str(), 0444), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
  HostBitmap bitmap(2, 2);
  RUN_CHILD_OR_SKIP(result, [&] {
    if (!DropRootInChild()) return kChildSkip;
    return SaveToBitmapA(target.c_str(), bitmap.desc());
  });
  EXPECT_EQ(result, SAVE_BADFILE);
  EXPECT_EQ(FileBytes(target), OldBytes(200));
  EXPECT_EQ(ListNames(dir.path()), (Names{"locked.bmp"}));
}

TEST(SaveFailure, FolderWithoutRoomForNewNamesRewritesAWritableFileInPlace) {
  ScratchDir dir;
  const std::string target = dir / "open.bmp";
  WriteBytes(target, OldBytes(5000));
  ASSERT_EQ(chmod(target.c_str(), 0666), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
  HostBitmap bitmap(3, 3);
  PaintF(bitmap);
  RUN_CHILD_OR_SKIP(result, [&] {
    if (!DropRootInChild()) return kChildSkip;
    const int32_t in_place = SaveToBitmapA(target.c_str(), bitmap.desc());
    const int32_t new_name = SaveToBitmapA((dir / "new.bmp").c_str(), bitmap.desc());
    return in_place * 10 + new_name;
  });
  EXPECT_EQ(result, SAVE_DONE * 10 + SAVE_BADFILE);
  EXPECT_EQ(FileBytes(target), ModelBitmapFile(bitmap));
  EXPECT_EQ(ListNames(dir.path()), (Names{"open.bmp"}));
}

TEST(SaveFailure, WriteCutShortByTheFileSizeLimit) {
  ScratchDir dir;
  const std::string target = dir / "shot.bmp";
  WriteBytes(target, OldBytes(50));
  HostBitmap bitmap(10, 10);  // 374 bytes
  RUN_CHILD_OR_SKIP(result, [&] {
    // Ignored, the signal turns into a failed write of what passes the limit.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, 100};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return kChildSkip;
    return SaveToBitmapA(target.c_str(), bitmap.desc()) * 10 +
           SaveToBitmapW(Widen(target).c_str(), bitmap.desc());
  });
  EXPECT_EQ(result, SAVE_BADFILE * 10 + SAVE_BADFILE);
  EXPECT_EQ(FileBytes(target), OldBytes(50));
  EXPECT_EQ(ListNames(dir.path()), (Names{"shot.bmp"}));
}

// A small file system of its own, mounted in a private mount namespace of the child (needs
// root, or at least the right to make one).
TEST(SaveFailure, FullFileSystem) {
  ScratchDir dir;
  const std::string small = dir / "small";
  ASSERT_EQ(mkdir(small.c_str(), 0755), 0);
  HostBitmap fits(10, 10), too_big(300, 100);  // 374 and 90054 bytes
  PaintF(fits);
  RUN_CHILD_OR_SKIP(result, [&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
        mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) {
      return kChildSkip;
    }
    const std::string target = small + "/shot.bmp";
    if (SaveToBitmapA(target.c_str(), fits.desc()) != SAVE_DONE) return 10;
    if (SaveToBitmapA(target.c_str(), too_big.desc()) != SAVE_BADFILE) return 11;
    std::vector<uint8_t> bytes;
    if (!ReadBytes(target, &bytes) || bytes != ModelBitmapFile(fits)) return 12;
    if (ListNames(small) != Names{"shot.bmp"}) return 13;
    return 0;
  });
  EXPECT_EQ(result, 0);
}

TEST(SaveFailure, NoMemoryForTheFile) {
  ScratchDir dir;
  const std::string target = dir / "shot.bmp";
  WriteBytes(target, OldBytes(64));
  HostBitmap live(1, 1);
  // A file of about 3 GiB; the pixels are never read because the buffer cannot be had.
  const BitmapDesc huge{live.id(), 32768, 32768};
#ifdef MORVANE_TEST_ASAN
  GTEST_SKIP() << "the sanitizer's allocator stops the program when memory runs out";
#endif  // MORVANE_TEST_ASAN
  RUN_CHILD_OR_SKIP(result, [&] {
    const rlimit limit{rlim_t{256} << 20, rlim_t{256} << 20};
    if (setrlimit(RLIMIT_AS, &limit) != 0) return kChildSkip;
    return SaveToBitmapA(target.c_str(), &huge) * 10 + SaveToBitmapA(nullptr, &huge);
  });
  EXPECT_EQ(result, SAVE_BADBITMAP * 10 + SAVE_BADBITMAP);
  EXPECT_EQ(FileBytes(target), OldBytes(64));
  EXPECT_EQ(ListNames(dir.path()), (Names{"shot.bmp"}));
}

}  // namespace
}  // namespace morvane_test
