#include "command_line.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace morvane_tool {

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

bool ParseNumbers(const std::string& text, int count, int32_t* out) {
  size_t at = 0;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && (at >= text.size() || text[at++] != ',')) return false;
    const size_t start = at;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    const size_t digits = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
    if (at == digits || at - digits > 10) return false;
    const long long value = std::strtoll(text.substr(start, at - start).c_str(), nullptr, 10);
    if (value < -kMaxMagnitude || value > kMaxMagnitude) return false;
    out[i] = static_cast<int32_t>(value);
  }
  return at == text.size();
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

}  // namespace morvane_tool
