#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "host/host_bitmap.h"

namespace morvane_test {

size_t GuardedBlock::PageSize() { return static_cast<size_t>(sysconf(_SC_PAGESIZE)); }

GuardedBlock::GuardedBlock(size_t bytes) : usable_bytes_(bytes) {
  const size_t page = PageSize();
  mapped_bytes_ = (bytes + page - 1) / page * page + 2 * page;
  int flags = MAP_PRIVATE | MAP_ANONYMOUS;
#ifdef MAP_32BIT
  flags |= MAP_32BIT;
#endif  // MAP_32BIT
  void* p = mmap(nullptr, mapped_bytes_, PROT_NONE, flags, -1, 0);
  if (p == MAP_FAILED) {
    std::perror("mmap");
    std::abort();
  }
  base_ = static_cast<uint8_t*>(p);
  HostAddress(base_ + mapped_bytes_ - 1);
  if (mprotect(base_ + page, mapped_bytes_ - 2 * page, PROT_READ | PROT_WRITE) != 0) {
    std::perror("mprotect");
    std::abort();
  }
  usable_ = base_ + page;
}

GuardedBlock::~GuardedBlock() { munmap(base_, mapped_bytes_); }

}  // namespace morvane_test
