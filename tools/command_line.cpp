#include "command_line.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace morvane_tool {
namespace {

// The length of the well-formed UTF-8 sequence that starts at text[at], or 0 when none does: no
// stray continuation bytes, no truncated or overlong sequences, no surrogates, nothing above
// U+10FFFF.
size_t Utf8SequenceAt(const std::string& text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(at);
  if (lead < 0x80) return 1;
  size_t length;
  unsigned low = 0x80, high = 0xBF;  // the range of the byte after the lead
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong below U+0800
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong below U+10000
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "morvane: %s\n", message.c_str());
  return code;
}

int UsageError(const std::string& command, const std::string& message) {
  return Fail(kExitUsage, message + " (see 'morvane " + command + " --help')");
}

bool AsksForHelp(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "-h" || a == "--help") return true;
  }
  return false;
}

std::string ArgReader::Next() {
  current_ = args_[next_++];
  has_inline_ = false;
  const size_t equals = current_.find('=');
  if (current_.rfind("--", 0) == 0 && equals != std::string::npos) {
    has_inline_ = true;
    inline_value_ = current_.substr(equals + 1);
    current_.resize(equals);
  }
  return current_;
}

bool ArgReader::IsOption() const { return current_.size() > 1 && current_[0] == '-'; }

bool ArgReader::Value(std::string* value) {
  if (has_inline_) {
    *value = inline_value_;
    has_inline_ = false;
    return true;
  }
  if (Done()) return false;
  *value = args_[next_++];
  return true;
}

Numbers ParseNumbers(const std::string& text, int count, int32_t* out) {
  bool in_range = true;
  size_t at = 0;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && (at >= text.size() || text[at++] != ',')) return Numbers::kMalformed;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    const size_t digits = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
    if (at == digits) return Numbers::kMalformed;
    // Leading zeros aside, more than ten digits is beyond the bound whatever they are.
    size_t first = digits;
    while (first + 1 < at && text[first] == '0') ++first;
    const long long magnitude =
        at - first > 10 ? kMaxMagnitude + 1LL : std::stoll(text.substr(first, at - first));
    if (magnitude > kMaxMagnitude) {
      in_range = false;
      continue;
    }
    out[i] = static_cast<int32_t>(negative ? -magnitude : magnitude);
  }
  if (at != text.size()) return Numbers::kMalformed;
  return in_range ? Numbers::kOk : Numbers::kOutOfRange;
}

std::string NumbersError(const std::string& option, const std::string& shape, Numbers problem,
                         const std::string& value) {
  const std::string bound = std::to_string(kMaxMagnitude);
  const std::string why = problem == Numbers::kOutOfRange ? "between -" + bound + " and " + bound
                                                          : "with whole numbers";
  return option + " expects " + shape + " " + why + ", got '" + value + "'";
}

bool IsBmpName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return true;
  std::string extension = name.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == "bmp";
}

bool IsValidUtf8(const std::string& text) {
  for (size_t at = 0; at < text.size();) {
    const size_t length = Utf8SequenceAt(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string Printable(const std::string& text) {
  std::string shown;
  for (size_t at = 0; at < text.size();) {
    const size_t length = Utf8SequenceAt(text, at);
    if (length > 0) {
      shown.append(text, at, length);
      at += length;
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[at++]));
    shown += escaped;
  }
  return shown;
}

std::string CannotWrite(const std::string& path, const std::string& reason) {
  return "cannot write " + Printable(path) + ": " + reason;
}

}  // namespace morvane_tool
