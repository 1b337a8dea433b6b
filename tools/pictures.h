// The showcase's built-in images, generated rather than shipped.
#ifndef MORVANE_TOOLS_PICTURES_H_
#define MORVANE_TOOLS_PICTURES_H_

#include <cstdint>

#include "host_image.h"

namespace morvane_tool {

// A rounded sprite: hues left to right, light at the top and dark at the bottom, opaque inside,
// alpha falling off softly towards its rim and around a transparent hole in its middle. Empty when
// memory ran out.
HostImage MakeSprite(int32_t width, int32_t height);

// A checkerboard of light and dark squares whose alpha falls from opaque on the left to mostly
// transparent on the right.
HostImage MakeBackdrop(int32_t width, int32_t height);

}  // namespace morvane_tool

#endif  // MORVANE_TOOLS_PICTURES_H_
