#include "bitmap/fit.h"

#include <algorithm>

namespace morvane {
namespace {

// One axis of the fit. Every sum is formed in 64 bits, so no input can wrap; when the kept range is
// non-empty, both starts land inside their bitmaps and so fit back into 32 bits.
void FitAxis(int32_t dest_size, int32_t& pos, int32_t& len, int32_t src_size, int32_t& src_pos) {
  const int64_t first = std::max({int64_t{0}, -int64_t{pos}, -int64_t{src_pos}});
  const int64_t end =
      std::min({int64_t{len}, int64_t{dest_size} - pos, int64_t{src_size} - src_pos});
  if (end <= first) {
    len = 0;
    return;
  }
  pos = static_cast<int32_t>(pos + first);
  src_pos = static_cast<int32_t>(src_pos + first);
  len = static_cast<int32_t>(end - first);
}

}  // namespace

void FitBlitRect(const BitmapDesc& dest, int32_t& x, int32_t& y, int32_t& w, int32_t& h,
                 const BitmapDesc& src, int32_t& sx, int32_t& sy) {
  FitAxis(dest.width, x, w, src.width, sx);
  FitAxis(dest.height, y, h, src.height, sy);
}

}  // namespace morvane
