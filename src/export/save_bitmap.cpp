#include "export/write_bitmap.h"

extern "C" MORVANE_API int32_t MORVANE_CALL SaveToBitmapW(const MorvaneWChar* path,
                                                          const BitmapDesc* desc) {
  return morvane::SaveBitmap(morvane::CallerPath{nullptr, path}, desc);
}

extern "C" MORVANE_API int32_t MORVANE_CALL SaveToBitmapA(const char* path,
                                                          const BitmapDesc* desc) {
  return morvane::SaveBitmap(morvane::CallerPath{path, nullptr}, desc);
}

#if !defined(_WIN32)
extern "C" MORVANE_API int32_t morvane_save_bmp(const char* path, const MorvaneImage* image) {
  return morvane::SaveImage(path, image);
}
#endif  // !_WIN32
