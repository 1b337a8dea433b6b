// What a saved bitmap file must hold, built byte by byte from the pixels as the BMP format
// describes it and sharing no code with the library.
#ifndef MORVANE_TESTS_BMP_MODEL_H_
#define MORVANE_TESTS_BMP_MODEL_H_

#include <cstdint>
#include <vector>

#include "host/host_bitmap.h"

namespace morvane_test {

std::vector<uint8_t> ModelBitmapFile(const HostBitmap& bitmap);

// A bitmap whose picture tells every mistake apart: an 'F' (not symmetric either way) in red on
// blue, with blue rising along x and green along y so that no two channels or pixels agree.
void PaintF(HostBitmap& bitmap);

}  // namespace morvane_test

#endif  // MORVANE_TESTS_BMP_MODEL_H_
