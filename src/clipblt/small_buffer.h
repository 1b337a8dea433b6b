// Scratch storage for one call: a few items inline (on the stack), the heap beyond that. It never
// throws: growing reports failure instead, so that an export can refuse before it draws anything.
#ifndef MORVANE_CLIPBLT_SMALL_BUFFER_H_
#define MORVANE_CLIPBLT_SMALL_BUFFER_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "heap_block.h"

namespace morvane {

template <class T, size_t N>
class SmallBuffer {
  static_assert(std::is_trivially_copyable<T>::value, "items are moved with memcpy");

 public:
  SmallBuffer() = default;
  SmallBuffer(const SmallBuffer&) = delete;
  SmallBuffer& operator=(const SmallBuffer&) = delete;
  ~SmallBuffer() = default;

  // Makes room for at least `n` items, keeping the first `keep`. False when the heap cannot give
  // it; the buffer is then as it was.
  bool Reserve(size_t n, size_t keep = 0) {
    if (n <= capacity_) return true;
    HeapBlock<T> grown;
    if (!grown.Allocate(n)) return false;
    if (keep > 0) std::memcpy(grown.get(), data_, keep * sizeof(T));
    heap_.Swap(grown);
    data_ = heap_.get();
    capacity_ = n;
    return true;
  }

  T* data() { return data_; }
  const T* data() const { return data_; }
  size_t capacity() const { return capacity_; }

 private:
  T inline_[N];
  HeapBlock<T> heap_;
  T* data_ = inline_;
  size_t capacity_ = N;
};

}  // namespace morvane

#endif  // MORVANE_CLIPBLT_SMALL_BUFFER_H_
