// The BMP packer on bitmaps of any size, into a buffer of exactly the file's size that ends at an
// inaccessible page, checked byte for byte against the plain model of the file; and the path text
// checks on arbitrary UTF-16 and UTF-8, which must never read past a terminator.
#include <cstring>
#include <random>

#include "bitmap/pixel_view.h"
#include "bmp_model.h"
#include "export/bitmap_file.h"
#include "export/path_text.h"
#include "fuzz_input.h"
#include "host/host_bitmap.h"

using morvane_test::GuardedBlock;
using morvane_test::HostBitmap;

namespace {

void Fail() { __builtin_trap(); }

// `bytes` bytes whose last one sits right before an inaccessible page.
uint8_t* FencedEnd(GuardedBlock& block, size_t bytes) {
  const size_t page = GuardedBlock::PageSize();
  return block.begin() + ((bytes + page - 1) / page * page - bytes);
}

void CheckPack(morvane_fuzz::FuzzInput& in) {
  const int32_t width = in.Bit() ? in.Coord() : in.Size() * 7;
  const int32_t height = in.Bit() ? in.Coord() : in.Size() * 3;
  uint32_t size = 0;
  const bool fits = morvane::BitmapFileSize(width, height, &size);
  const uint64_t want = width < 0 || height < 0
                            ? 0
                            : 54 + ((3 * uint64_t(width) + 3) & ~uint64_t{3}) * uint64_t(height);
  if (fits != (width >= 0 && height >= 0 && want <= 0xFFFFFFFFu)) Fail();
  if (!fits) return;
  if (size != want) Fail();
  // The arithmetic is checked; larger files (or zero-width ones of huge height) only cost time.
  if (size > (256u << 10) || width > 4096 || height > 4096) return;
  HostBitmap bitmap(width, height);
  std::mt19937 rng(in.Word());
  bitmap.FillRandom(rng);
  GuardedBlock block(size);
  uint8_t* buffer = FencedEnd(block, size);
  morvane::PackBitmapFile(buffer, morvane::MakePixelView(bitmap.desc()), size);
  const std::vector<uint8_t> model = morvane_test::ModelBitmapFile(bitmap);
  if (model.size() != size || std::memcmp(model.data(), buffer, size) != 0) Fail();
}

void CheckPathText(morvane_fuzz::FuzzInput& in) {
  const size_t units = in.Byte() % 64;
  GuardedBlock wide_block((units + 1) * 2);
  auto* wide = reinterpret_cast<char16_t*>(FencedEnd(wide_block, (units + 1) * 2));
  for (size_t i = 0; i < units; ++i) {
    const uint16_t u = static_cast<uint16_t>(in.Byte() | in.Byte() << 8);
    wide[i] = static_cast<char16_t>(u == 0 ? 0xD800 : u);
  }
  wide[units] = 0;
  const size_t utf8 = morvane::Utf8SizeOfUtf16(wide);
  if (utf8 != morvane::kBadText) {
    GuardedBlock out_block(utf8 + 1);
    char* out = reinterpret_cast<char*>(FencedEnd(out_block, utf8 + 1));
    morvane::EncodeUtf8(wide, out);
    if (std::strlen(out) != utf8 || !morvane::IsValidUtf8(out)) Fail();
  }
  const size_t bytes = in.Byte() % 64;
  GuardedBlock narrow_block(bytes + 1);
  char* narrow = reinterpret_cast<char*>(FencedEnd(narrow_block, bytes + 1));
  for (size_t i = 0; i < bytes; ++i) narrow[i] = static_cast<char>(in.Byte() | 1);
  narrow[bytes] = 0;
  morvane::IsValidUtf8(narrow);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  morvane_fuzz::FuzzInput in(data, size);
  CheckPack(in);
  CheckPathText(in);
  return 0;
}
