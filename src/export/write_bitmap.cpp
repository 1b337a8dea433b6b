#include "export/write_bitmap.h"

#include <cassert>
#include <cstdlib>

#include "bitmap/image_view.h"
#include "export/bitmap_file.h"

namespace morvane {

int32_t WriteBitmapFile(const CallerPath& path, const PixelView& view) {
  uint32_t size = 0;
  if (!BitmapFileSize(view.width, view.height, &size)) return SAVE_BADBITMAP;
  assert(view.pixels != nullptr || view.width == 0 || view.height == 0);
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
  const PixelView view = MakePixelView(desc);
  if (view.pixels == nullptr) return SAVE_BADBITMAP;  // id 0, whatever its size
  return WriteBitmapFile(path, view);
}

#if !defined(_WIN32)
int32_t SaveImage(const char* path, const MorvaneImage* image) {
  PixelView view;
  if (!MakeImageView(image, &view)) return SAVE_BADBITMAP;
  return WriteBitmapFile(CallerPath{path, nullptr}, view);
}
#endif  // !_WIN32

}  // namespace morvane
