// Scratch storage for one call: a few items inline (on the stack), the heap beyond that. It never
// throws: growing reports failure instead, so that an export can refuse before it draws anything.
#ifndef MORVANE_CLIPBLT_SMALL_BUFFER_H_
#define MORVANE_CLIPBLT_SMALL_BUFFER_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace morvane {

template <class T, size_t N>
class SmallBuffer {
  static_assert(std::is_trivially_copyable<T>::value, "items are moved with memcpy");

 public:
  SmallBuffer() = default;
  SmallBuffer(const SmallBuffer&) = delete;
  SmallBuffer& operator=(const SmallBuffer&) = delete;
  ~SmallBuffer() {
    if (data_ != inline_) std::free(data_);
  }

  // Makes room for at least `n` items, keeping the first `keep`. False when the heap cannot give
  // it; the buffer is then as it was.
  bool Reserve(size_t n, size_t keep = 0) {
    if (n <= capacity_) return true;
    if (n > SIZE_MAX / sizeof(T)) return false;
    T* grown = static_cast<T*>(std::malloc(n * sizeof(T)));
    if (grown == nullptr) return false;
    if (keep > 0) std::memcpy(grown, data_, keep * sizeof(T));
    if (data_ != inline_) std::free(data_);
    data_ = grown;
    capacity_ = n;
    return true;
  }

  T* data() { return data_; }
  const T* data() const { return data_; }
  size_t capacity() const { return capacity_; }

 private:
  T inline_[N];
  T* data_ = inline_;
  size_t capacity_ = N;
};

}  // namespace morvane

#endif  // MORVANE_CLIPBLT_SMALL_BUFFER_H_
