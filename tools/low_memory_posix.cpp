#include <sys/mman.h>

#include "low_memory.h"

namespace morvane_tool {

uint8_t* MapLowMemory(size_t bytes) {
  if (bytes == 0) return nullptr;
  int flags = MAP_PRIVATE | MAP_ANONYMOUS;
  void* hint = nullptr;
#ifdef MAP_32BIT
  flags |= MAP_32BIT;  // x86-64 Linux: the first 2 GiB
#else
  hint = reinterpret_cast<void*>(uintptr_t{0x10000000});  // elsewhere only a hint, checked below
#endif  // MAP_32BIT
  void* p = mmap(hint, bytes, PROT_READ | PROT_WRITE, flags, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  const uint64_t end = uint64_t(reinterpret_cast<uintptr_t>(p)) + bytes;
  if (end > 0xFFFFFFFFu) {
    munmap(p, bytes);
    return nullptr;
  }
  return static_cast<uint8_t*>(p);
}

void UnmapLowMemory(uint8_t* block, size_t bytes) {
  if (block != nullptr) munmap(block, bytes);
}

}  // namespace morvane_tool
