// Turns a fuzzer's bytes into blit arguments: small sizes and positions most of the time, with
// the extremes of int32 and zero ids often enough to matter. Running out of bytes reads zeros.
#ifndef MORVANE_TESTS_FUZZ_FUZZ_INPUT_H_
#define MORVANE_TESTS_FUZZ_FUZZ_INPUT_H_

#include <climits>
#include <cstddef>
#include <cstdint>

namespace morvane_fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint32_t Word() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t{Byte()} << (8 * i);
    return v;
  }
  bool Bit() { return Byte() & 1; }

  // A size for a bitmap: mostly 0..40, sometimes negative.
  int32_t Size() {
    const uint8_t b = Byte();
    return b < 8 ? -int32_t{b} : int32_t{b % 41};
  }

  // A coordinate or a rectangle size: mostly small, sometimes an int32 extreme or any value.
  int32_t Coord() {
    const uint8_t sel = Byte();
    if (sel < 200) return int32_t{sel % 100} - 50;
    switch (sel % 6) {
      case 0:
        return INT32_MIN;
      case 1:
        return INT32_MAX;
      case 2:
        return INT32_MIN + int32_t{Byte()};
      case 3:
        return INT32_MAX - int32_t{Byte()};
      default:
        return static_cast<int32_t>(Word());
    }
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace morvane_fuzz

#endif  // MORVANE_TESTS_FUZZ_FUZZ_INPUT_H_
