#include "operations.h"

#include <cctype>

#include "morvane.h"

namespace morvane_tool {
namespace {

constexpr Operation kBlends[] = {
    {OpFamily::kBlend, BLEND_NORMAL, "BLEND_NORMAL", "normal"},
    {OpFamily::kBlend, BLEND_ADD, "BLEND_ADD", "add"},
    {OpFamily::kBlend, BLEND_SUBTRACT, "BLEND_SUBTRACT", "subtract"},
    {OpFamily::kBlend, BLEND_MULTIPLY, "BLEND_MULTIPLY", "multiply"},
    {OpFamily::kBlend, BLEND_BRIGHTEN, "BLEND_BRIGHTEN", "brighten"},
};

constexpr Operation kRops[] = {
    {OpFamily::kRop, SRCCOPY, "SRCCOPY", "srccopy"},
    {OpFamily::kRop, SRCPAINT, "SRCPAINT", "srcpaint"},
    {OpFamily::kRop, SRCAND, "SRCAND", "srcand"},
    {OpFamily::kRop, SRCINVERT, "SRCINVERT", "srcinvert"},
    {OpFamily::kRop, SRCERASE, "SRCERASE", "srcerase"},
    {OpFamily::kRop, NOTSRCCOPY, "NOTSRCCOPY", "notsrccopy"},
    {OpFamily::kRop, NOTSRCERASE, "NOTSRCERASE", "notsrcerase"},
};

bool SameIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return i == a.size() && b[i] == '\0';
}

}  // namespace

const Operation* Operations(OpFamily family, int* count) {
  if (family == OpFamily::kBlend) {
    *count = static_cast<int>(sizeof kBlends / sizeof kBlends[0]);
    return kBlends;
  }
  *count = static_cast<int>(sizeof kRops / sizeof kRops[0]);
  return kRops;
}

const Operation* FindOperation(const std::string& text) {
  for (OpFamily family : {OpFamily::kBlend, OpFamily::kRop}) {
    int count;
    const Operation* ops = Operations(family, &count);
    for (int i = 0; i < count; ++i) {
      if (SameIgnoringCase(text, ops[i].name) || SameIgnoringCase(text, ops[i].short_name)) {
        return &ops[i];
      }
    }
  }
  return nullptr;
}

std::string OperationNames(OpFamily family) {
  int count;
  const Operation* ops = Operations(family, &count);
  std::string names;
  for (int i = 0; i < count; ++i) names += (i ? ", " : "") + std::string(ops[i].name);
  return names;
}

}  // namespace morvane_tool
