// The library's blend modes and raster operations by name, as the tool's users type them.
#ifndef MORVANE_TOOLS_OPERATIONS_H_
#define MORVANE_TOOLS_OPERATIONS_H_

#include <cstdint>
#include <string>

namespace morvane_tool {

enum class OpFamily { kBlend, kRop };

struct Operation {
  OpFamily family;
  uint32_t code;           // the last argument of BlendBlt or RopBlt
  const char* name;        // as in the header: BLEND_MULTIPLY, SRCINVERT
  const char* short_name;  // multiply, srcinvert
};

// Every operation of one family, in the header's order.
const Operation* Operations(OpFamily family, int* count);

// The operation of either family called `text` (header name or short name, any case), or null.
const Operation* FindOperation(const std::string& text);

// "BLEND_NORMAL, BLEND_ADD, ..." for messages.
std::string OperationNames(OpFamily family);

}  // namespace morvane_tool

#endif  // MORVANE_TOOLS_OPERATIONS_H_
