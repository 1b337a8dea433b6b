// Zeroed memory whose every address fits in 32 bits, as the host's records require.
#ifndef MORVANE_TOOLS_LOW_MEMORY_H_
#define MORVANE_TOOLS_LOW_MEMORY_H_

#include <cstddef>
#include <cstdint>

namespace morvane_tool {

// Null when no such memory is left.
uint8_t* MapLowMemory(size_t bytes);
void UnmapLowMemory(uint8_t* block, size_t bytes);

}  // namespace morvane_tool

#endif  // MORVANE_TOOLS_LOW_MEMORY_H_
