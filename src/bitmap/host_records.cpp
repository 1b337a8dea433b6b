#include "bitmap/host_records.h"

#include <cstring>

namespace morvane {

uint32_t ReadHostWord(uint32_t address) {
  unsigned char bytes[4];
  std::memcpy(bytes, reinterpret_cast<const void*>(static_cast<uintptr_t>(address)), 4);
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

uint8_t* ResolvePixels(int32_t id) {
  if (id == 0) return nullptr;
  // The id is half the object record's address; the doubling wraps in 32 bits like the host's.
  const uint32_t object = static_cast<uint32_t>(id) * 2u;
  const uint32_t data = ReadHostWord(object + kObjectDataOffset);
  const uint32_t pixel_info = ReadHostWord(data + kDataPixelInfoOffset);
  const uint32_t pixels = ReadHostWord(pixel_info + kPixelInfoBufferOffset);
  return reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(pixels));
}

}  // namespace morvane
