#include "export/write_bitmap.h"

#include <cassert>

#include "bitmap/image_view.h"
#include "export/bitmap_file.h"
#include "heap_block.h"

namespace morvane {

int32_t WriteBitmapFile(const CallerPath& path, const PixelView& view) {
  uint32_t size = 0;
  if (!BitmapFileSize(view.width, view.height, &size)) return SAVE_BADBITMAP;
  assert(view.pixels != nullptr || view.width == 0 || view.height == 0);
  HeapBlock<uint8_t> buffer;
  if (!buffer.Allocate(size)) return SAVE_BADBITMAP;
  PackBitmapFile(buffer.get(), view, size);
  return PlaceFile(path, buffer.get(), size);
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
