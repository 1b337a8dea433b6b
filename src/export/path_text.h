// Checking and converting the text of file paths, without the OS: the wide path is UTF-16 and the
// narrow one UTF-8, and neither may carry a broken sequence into a file name.
#ifndef MORVANE_EXPORT_PATH_TEXT_H_
#define MORVANE_EXPORT_PATH_TEXT_H_

#include <cstddef>
#include <cstdint>

namespace morvane {

constexpr size_t kBadText = SIZE_MAX;

// The UTF-8 length in bytes of the NUL-terminated UTF-16 string `text`, terminator excluded, or
// kBadText when it holds a surrogate without its partner. `Unit` is any 16-bit code unit type
// (char16_t, or wchar_t on Windows).
template <class Unit>
size_t Utf8SizeOfUtf16(const Unit* text) {
  size_t bytes = 0;
  for (const Unit* s = text; *s != 0; ++s) {
    const uint32_t unit = static_cast<uint16_t>(*s);
    if (unit < 0x80) {
      bytes += 1;
    } else if (unit < 0x800) {
      bytes += 2;
    } else if (unit >= 0xD800 && unit <= 0xDBFF) {
      // A high surrogate pairs with the low one after it; the terminator is no partner.
      const uint32_t next = static_cast<uint16_t>(s[1]);
      if (next < 0xDC00 || next > 0xDFFF) return kBadText;
      bytes += 4;
      ++s;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return kBadText;
    } else {
      bytes += 3;
    }
  }
  return bytes;
}

// Writes the well-formed NUL-terminated UTF-16 string `text` as UTF-8 with a terminator into
// `out`, which holds Utf8SizeOfUtf16(text) + 1 bytes.
void EncodeUtf8(const char16_t* text, char* out);

// True when the NUL-terminated `text` is well-formed UTF-8: no stray continuation bytes, no
// truncated or overlong sequences, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const char* text);

}  // namespace morvane

#endif  // MORVANE_EXPORT_PATH_TEXT_H_
