// The host runtime's record chain, from an object id to the first byte of a bitmap's pixels.
// This is the only code that knows how the host lays out its objects.
#ifndef MORVANE_BITMAP_HOST_RECORDS_H_
#define MORVANE_BITMAP_HOST_RECORDS_H_

#include <cstdint>

namespace morvane {

// Reads the little-endian 32-bit word at a 32-bit host address, without assuming alignment. On a
// build with wider pointers the host address is taken as the same numeric address.
uint32_t ReadHostWord(uint32_t address);

// Follows object record -> data record -> pixel-information record -> pixel buffer. Returns null
// for id 0 without reading anything; every other id, negative ones included, is followed.
uint8_t* ResolvePixels(int32_t id);

// Byte offsets of the words the chain reads.
constexpr uint32_t kObjectDataOffset = 16;       // object record -> data record
constexpr uint32_t kDataPixelInfoOffset = 8;     // data record -> pixel-information record
constexpr uint32_t kPixelInfoBufferOffset = 16;  // pixel-information record -> pixel buffer

}  // namespace morvane

#endif  // MORVANE_BITMAP_HOST_RECORDS_H_
