// The host runtime's record chain, from an object id to the first byte of a bitmap's pixels.
// This is the only code that knows how the host lays out its objects.
#ifndef MORVANE_BITMAP_HOST_RECORDS_H_
#define MORVANE_BITMAP_HOST_RECORDS_H_

#include <cstdint>
#include <cstring>

namespace morvane {

// Byte offsets of the words the chain reads.
constexpr uint32_t kObjectDataOffset = 16;       // object record -> data record
constexpr uint32_t kDataPixelInfoOffset = 8;     // data record -> pixel-information record
constexpr uint32_t kPixelInfoBufferOffset = 16;  // pixel-information record -> pixel buffer

// Reads the little-endian 32-bit word at a 32-bit host address, without assuming alignment. On a
// build with wider pointers the host address is taken as the same numeric address.
inline uint32_t ReadHostWord(uint32_t address) {
  unsigned char bytes[4];
  std::memcpy(bytes, reinterpret_cast<const void*>(static_cast<uintptr_t>(address)), 4);
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

// Follows object record -> data record -> pixel-information record -> pixel buffer. Returns null
// for id 0 without reading anything; every other id, negative ones included, is followed. Inline,
// like the fit, since every blit takes it twice.
inline uint8_t* ResolvePixels(int32_t id) {
  if (id == 0) return nullptr;
  // The id is half the object record's address; the doubling wraps in 32 bits like the host's.
  const uint32_t object = static_cast<uint32_t>(id) * 2u;
  const uint32_t data = ReadHostWord(object + kObjectDataOffset);
  const uint32_t pixel_info = ReadHostWord(data + kDataPixelInfoOffset);
  const uint32_t pixels = ReadHostWord(pixel_info + kPixelInfoBufferOffset);
  return reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(pixels));
}

}  // namespace morvane

#endif  // MORVANE_BITMAP_HOST_RECORDS_H_
