// A 5 x 7 bitmap font for the showcase's labels: A-Z (lower case drawn as upper case), 0-9 and
// some punctuation. Unknown characters are drawn as '?'.
#ifndef MORVANE_TOOLS_FONT_H_
#define MORVANE_TOOLS_FONT_H_

#include <cstdint>

#include "host_image.h"

namespace morvane_tool {

constexpr int32_t kGlyphWidth = 5;
constexpr int32_t kGlyphHeight = 7;

// Width in pixels of `text` drawn at `scale` (each font pixel a scale x scale square, one blank
// column between characters).
int32_t TextWidth(const char* text, int32_t scale);

// Draws `text` with its top-left corner at (x, y), opaque `colour`; pixels outside the image are
// skipped.
void DrawText(HostImage& image, int32_t x, int32_t y, const char* text, int32_t scale, Bgra colour);

}  // namespace morvane_tool

#endif  // MORVANE_TOOLS_FONT_H_
