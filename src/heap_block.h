// The one owner of memory from the C heap, for every subsystem. malloc rather than new: running
// out of memory must come back as a result the export can report, never as an exception across
// the library's boundary.
#ifndef MORVANE_HEAP_BLOCK_H_
#define MORVANE_HEAP_BLOCK_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace morvane {

// `count` items of T (a type with no constructor to run), freed when the owner goes. Null when
// nothing is held, and after an allocation that failed or whose size would not fit a size_t.
template <class T>
class HeapBlock {
 public:
  HeapBlock() = default;
  HeapBlock(const HeapBlock&) = delete;
  HeapBlock& operator=(const HeapBlock&) = delete;
  ~HeapBlock() { std::free(data_); }

  // Frees what is held and takes `count` new items, zeroed when asked; false when they cannot be
  // had, and then nothing is held.
  bool Allocate(size_t count, bool zeroed = false) {
    Reset(nullptr);
    if (count > SIZE_MAX / sizeof(T)) return false;
    void* p = zeroed ? std::calloc(count, sizeof(T)) : std::malloc(count * sizeof(T));
    data_ = static_cast<T*>(p);
    return data_ != nullptr;
  }
  // Frees what is held and takes `p`, which came from malloc (realpath's result, say).
  void Reset(T* p) {
    std::free(data_);
    data_ = p;
  }

  // Exchanges what the two hold.
  void Swap(HeapBlock& other) {
    T* const held = data_;
    data_ = other.data_;
    other.data_ = held;
  }

  T* get() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  T* data_ = nullptr;
};

}  // namespace morvane

#endif  // MORVANE_HEAP_BLOCK_H_
