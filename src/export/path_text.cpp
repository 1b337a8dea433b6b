#include "export/path_text.h"

namespace morvane {

void EncodeUtf8(const char16_t* text, char* out) {
  auto put = [&out](uint32_t byte) { *out++ = static_cast<char>(byte); };
  for (const char16_t* s = text; *s != 0; ++s) {
    uint32_t cp = *s;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (uint32_t{s[1]} - 0xDC00);
      ++s;
    }
    if (cp < 0x80) {
      put(cp);
    } else if (cp < 0x800) {
      put(0xC0 | cp >> 6);
      put(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      put(0xE0 | cp >> 12);
      put(0x80 | (cp >> 6 & 0x3F));
      put(0x80 | (cp & 0x3F));
    } else {
      put(0xF0 | cp >> 18);
      put(0x80 | (cp >> 12 & 0x3F));
      put(0x80 | (cp >> 6 & 0x3F));
      put(0x80 | (cp & 0x3F));
    }
  }
  *out = '\0';
}

bool IsValidUtf8(const char* text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  while (*s != 0) {
    const uint32_t lead = *s++;
    if (lead < 0x80) continue;
    int more;
    uint32_t cp, least;
    if ((lead & 0xE0) == 0xC0) {
      more = 1, cp = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      more = 2, cp = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      more = 3, cp = lead & 0x07, least = 0x10000;
    } else {
      return false;
    }
    // The terminator is not a continuation byte, so a truncated sequence stops here.
    for (int i = 0; i < more; ++i, ++s) {
      if ((*s & 0xC0) != 0x80) return false;
      cp = cp << 6 | (*s & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  }
  return true;
}

}  // namespace morvane
