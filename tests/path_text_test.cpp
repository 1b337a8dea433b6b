// Path text: which UTF-8 and UTF-16 strings may become file names, and the conversion between them.
#include "export/path_text.h"

#include <gtest/gtest.h>

#include <string>

namespace morvane_test {
namespace {

using morvane::kBadText;

TEST(PathText, Utf8Validation) {
  const char* good[] = {"",
                        "plain.bmp",
                        "caf\xC3\xA9",
                        "\xE6\x97\xA5\xE6\x9C\xAC",
                        "\xF0\x9F\x98\x80",
                        "\xF4\x8F\xBF\xBF",
                        "\xEF\xBF\xBF",
                        "\xEE\x80\x80"};
  for (const char* s : good) EXPECT_TRUE(morvane::IsValidUtf8(s)) << s;
  const char* bad[] = {"\x80",                  // a continuation byte with no lead
                       "a\xC3",                 // cut short by the terminator
                       "\xE6\x97",              // the same, three-byte sequence
                       "\xC3(",                 // lead followed by a non-continuation
                       "\xC0\xAF",              // "/" in two bytes: overlong
                       "\xE0\x80\xAF",          // overlong in three
                       "\xF0\x80\x80\xAF",      // overlong in four
                       "\xED\xA0\x80",          // U+D800, a surrogate
                       "\xED\xBF\xBF",          // U+DFFF
                       "\xF4\x90\x80\x80",      // above U+10FFFF
                       "\xF8\x88\x80\x80\x80",  // five-byte form
                       "\xFE",
                       "\xFF"};
  for (const char* s : bad) EXPECT_FALSE(morvane::IsValidUtf8(s)) << s;
}

struct Utf16Case {
  std::u16string text;
  const char* utf8;  // null: not well formed
};

TEST(PathText, Utf16Conversion) {
  const Utf16Case cases[] = {
      {u"", ""},
      {u"a/b.bmp", "a/b.bmp"},
      {u"\u00E9", "\xC3\xA9"},
      {u"\u07FF\u0800", "\xDF\xBF\xE0\xA0\x80"},
      {u"\u65E5\u672C", "\xE6\x97\xA5\xE6\x9C\xAC"},
      {u"\uFFFF\uE000", "\xEF\xBF\xBF\xEE\x80\x80"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
      {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
      {std::u16string{0xD800}, nullptr},
      {std::u16string{0xDC00}, nullptr},
      {std::u16string{0xD83D, u'a'}, nullptr},
      {std::u16string{u'a', 0xDBFF}, nullptr},
      {std::u16string{0xDE00, 0xD83D}, nullptr},  // a pair in the wrong order
  };
  for (const Utf16Case& c : cases) {
    const size_t size = morvane::Utf8SizeOfUtf16(c.text.c_str());
    if (c.utf8 == nullptr) {
      EXPECT_EQ(size, kBadText);
      continue;
    }
    ASSERT_EQ(size, std::string(c.utf8).size()) << c.utf8;
    std::string out(size + 1, '\x7F');
    morvane::EncodeUtf8(c.text.c_str(), out.data());
    EXPECT_EQ(out, std::string(c.utf8) + '\0');
    EXPECT_TRUE(morvane::IsValidUtf8(out.c_str()));
  }
}

}  // namespace
}  // namespace morvane_test
