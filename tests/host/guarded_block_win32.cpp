#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "host/host_bitmap.h"

namespace morvane_test {

size_t GuardedBlock::PageSize() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
}

GuardedBlock::GuardedBlock(size_t bytes) : usable_bytes_(bytes) {
  const size_t page = PageSize();
  mapped_bytes_ = (bytes + page - 1) / page * page + 2 * page;
  void* p = VirtualAlloc(nullptr, mapped_bytes_, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
#ifdef _WIN64
  // The host's records hold 32-bit addresses: a 64-bit process must find room below 4 GiB.
  for (uintptr_t at = 0x10000000; p != nullptr && reinterpret_cast<uintptr_t>(p) > 0xFFFFFFFFu;
       at += 0x01000000) {
    VirtualFree(p, 0, MEM_RELEASE);
    p = VirtualAlloc(reinterpret_cast<void*>(at), mapped_bytes_, MEM_RESERVE | MEM_COMMIT,
                     PAGE_NOACCESS);
    if (p == nullptr && at < 0xF0000000u) p = reinterpret_cast<void*>(~uintptr_t{0});
  }
#endif  // _WIN64
  if (p == nullptr) {
    std::fprintf(stderr, "VirtualAlloc failed\n");
    std::abort();
  }
  base_ = static_cast<uint8_t*>(p);
  HostAddress(base_ + mapped_bytes_ - 1);
  DWORD old;
  // An empty block (a bitmap of width or height 0) has nothing to open: Windows refuses a
  // zero-length range where POSIX accepts it.
  if (bytes > 0 && !VirtualProtect(base_ + page, mapped_bytes_ - 2 * page, PAGE_READWRITE, &old)) {
    std::fprintf(stderr, "VirtualProtect failed\n");
    std::abort();
  }
  usable_ = base_ + page;
}

GuardedBlock::~GuardedBlock() { VirtualFree(base_, 0, MEM_RELEASE); }

}  // namespace morvane_test
