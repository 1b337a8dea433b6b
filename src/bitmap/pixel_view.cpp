#include "bitmap/pixel_view.h"

#include "bitmap/host_records.h"

namespace morvane {

PixelView MakePixelView(const BitmapDesc* desc) {
  return PixelView{ResolvePixels(desc->id), desc->width, desc->height, desc};
}

}  // namespace morvane
