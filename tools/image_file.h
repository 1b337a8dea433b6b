// Reading PNG, BMP, TGA and JPEG files into host bitmaps (with stb_image).
#ifndef MORVANE_TOOLS_IMAGE_FILE_H_
#define MORVANE_TOOLS_IMAGE_FILE_H_

#include <string>

#include "host_image.h"

namespace morvane_tool {

// Loads the image at `path` into `out`. On failure returns false and sets `error` to a sentence
// naming the file and the reason (it cannot be opened, is not a readable image, or there is no
// memory for it).
bool LoadImageFile(const std::string& path, HostImage* out, std::string* error);

}  // namespace morvane_tool

#endif  // MORVANE_TOOLS_IMAGE_FILE_H_
