// Saving a bitmap: the body of SaveToBitmapW and SaveToBitmapA.
#ifndef MORVANE_EXPORT_WRITE_BITMAP_H_
#define MORVANE_EXPORT_WRITE_BITMAP_H_

#include <cstdint>

#include "bitmap/pixel_view.h"
#include "export/file_sink.h"

namespace morvane {

// Checks that the view can be saved, packs it into one heap buffer and puts that at `path`.
// Bitmap problems (no pixels, a negative size, a file over 32 bits, no memory) give
// SAVE_BADBITMAP before the path is looked at; path and file problems give SAVE_BADFILE.
int32_t WriteBitmapFile(const CallerPath& path, const PixelView& view);

// The exports' shared body: a null descriptor is a bitmap problem too.
int32_t SaveBitmap(const CallerPath& path, const BitmapDesc* desc);

#if !defined(_WIN32)
// morvane_save_bmp's body: an image record that cannot describe an image is a bitmap problem.
int32_t SaveImage(const char* path, const MorvaneImage* image);
#endif  // !_WIN32

}  // namespace morvane

#endif  // MORVANE_EXPORT_WRITE_BITMAP_H_
