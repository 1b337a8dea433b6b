// A stand-in for the host runtime: bitmaps laid out as the host lays them out, reached from an
// object id through the object, data and pixel-information records. Everything lives below 2 GiB
// (the records hold 32-bit addresses), and each pixel buffer sits against an inaccessible page so
// that a read or write past it faults at once instead of touching a neighbour.
#ifndef MORVANE_TESTS_HOST_HOST_BITMAP_H_
#define MORVANE_TESTS_HOST_HOST_BITMAP_H_

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "morvane.h"

namespace morvane_test {

// Which end of the pixel buffer touches the guard page. Rows are stored bottom-up, so kEnd catches
// reads above the top row or right of the top row's end, and kStart catches reads below the bottom
// row or left of its start.
enum class Fence { kEnd, kStart };

struct Pixel {
  uint8_t b, g, r, a;
  bool operator==(const Pixel& o) const { return b == o.b && g == o.g && r == o.r && a == o.a; }
  bool operator!=(const Pixel& o) const { return !(*this == o); }
};

// Low memory with an inaccessible page on each side; unmapped when destroyed.
class GuardedBlock {
 public:
  explicit GuardedBlock(size_t bytes);
  GuardedBlock(const GuardedBlock&) = delete;
  GuardedBlock& operator=(const GuardedBlock&) = delete;
  ~GuardedBlock();
  static size_t PageSize();
  uint8_t* begin() const { return usable_; }
  size_t usable_size() const { return usable_bytes_; }

 private:
  uint8_t* base_ = nullptr;
  size_t mapped_bytes_ = 0;
  uint8_t* usable_ = nullptr;
  size_t usable_bytes_ = 0;
};

// The 32-bit host address of p; aborts if p lies above 4 GiB.
uint32_t HostAddress(const void* p);

class HostBitmap {
 public:
  // A bitmap of width x height pixels, every pixel `fill`. The descriptor gives the true size.
  HostBitmap(int32_t width, int32_t height, Pixel fill = {0, 0, 0, 0}, Fence fence = Fence::kEnd);

  const BitmapDesc* desc() const { return &desc_; }
  int32_t id() const { return desc_.id; }
  int32_t width() const { return desc_.width; }
  int32_t height() const { return desc_.height; }
  uint8_t* buffer() const { return pixels_; }
  size_t buffer_bytes() const {
    return width() > 0 && height() > 0 ? size_t(width()) * size_t(height()) * 4 : 0;
  }

  // (x, y) from the top-left, as the library addresses pixels.
  Pixel Get(int32_t x, int32_t y) const;
  void Set(int32_t x, int32_t y, Pixel p);

  // Every pixel, top row first.
  std::vector<Pixel> Snapshot() const;
  // Fills every byte from the generator; alphas are drawn from 0, 255 and in-between in thirds.
  void FillRandom(std::mt19937& rng);
  // As FillRandom, then sets the alphas in runs of 1..40 pixels: all 0, all 255, or left mixed,
  // so that the vector walks meet their shortcuts and their full arithmetic side by side.
  void FillRandomRuns(std::mt19937& rng);
  // Sets every alpha to 255, as on a screen: every pixel's, or those outside the rectangle
  // [left, right) x [top, bottom) when one is given, a layer with alpha lying on the screen.
  void MakeOpaque(int32_t left = 0, int32_t top = 0, int32_t right = 0, int32_t bottom = 0);

 private:
  GuardedBlock records_;
  GuardedBlock buffer_;
  uint8_t* pixels_;
  BitmapDesc desc_;
};

// Two bitmaps of one size, fence and random content: one for the library, one for the model or a
// second call to compare with.
struct TwinBitmaps {
  HostBitmap lib, ref;
  TwinBitmaps(int32_t w, int32_t h, Fence fence, uint32_t seed, bool runs = false)
      : lib(w, h, {}, fence), ref(w, h, {}, fence) {
    std::mt19937 a(seed), b(seed);
    runs ? lib.FillRandomRuns(a) : lib.FillRandom(a);
    runs ? ref.FillRandomRuns(b) : ref.FillRandom(b);
  }
};

}  // namespace morvane_test

#endif  // MORVANE_TESTS_HOST_HOST_BITMAP_H_
