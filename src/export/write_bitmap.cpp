#include "export/write_bitmap.h"

#include <cstdlib>

#include "export/bitmap_file.h"

namespace morvane {

int32_t WriteBitmapFile(const CallerPath& path, const PixelView& view) {
  uint32_t size = 0;
  if (view.pixels == nullptr || !BitmapFileSize(view.width, view.height, &size)) {
    return SAVE_BADBITMAP;
  }
  // malloc rather than new: running out of memory must come back as a result, not an exception.
  auto* buffer = static_cast<uint8_t*>(std::malloc(size));
  if (buffer == nullptr) return SAVE_BADBITMAP;
  PackBitmapFile(buffer, view, size);
  const int32_t result = PlaceFile(path, buffer, size);
  std::free(buffer);
  return result;
}

int32_t SaveBitmap(const CallerPath& path, const BitmapDesc* desc) {
  if (desc == nullptr) return SAVE_BADBITMAP;
  return WriteBitmapFile(path, MakePixelView(desc));
}

}  // namespace morvane
