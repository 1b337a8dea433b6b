// A host bitmap's pixels copied into an image record laid out another way, for the loops that run
// one scene through both ways in: rows stored top-down or bottom-up, tight or padded, at an odd
// address, or as a window of a larger buffer. The copy touches a guard page at one end, and every
// byte of its block that is not a pixel (row padding, the rest of a larger buffer) holds a pattern
// that no call may change.
#ifndef MORVANE_TESTS_IMAGE_COPY_H_
#define MORVANE_TESTS_IMAGE_COPY_H_

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/host_bitmap.h"
#include "random_scene.h"

namespace morvane_test {

enum class ImageLayout { kTopDown, kBottomUp, kPadded, kOddAddress, kWindow, kCount };

class ImageCopy {
 public:
  ImageCopy(const HostBitmap& from, ImageLayout layout, Fence fence)
      : w_(from.width()), h_(from.height()), block_(Span(layout, w_, h_)) {
    if (w_ <= 0 || h_ <= 0) {  // no pixels: the record alone
      image_ = MorvaneImage{nullptr, w_, h_, 0};
      return;
    }
    const Shape shape = ShapeOf(layout, w_);
    const size_t span = Span(layout, w_, h_);
    uint8_t* const base =
        fence == Fence::kStart ? block_.begin() : block_.begin() + block_.usable_size() - span;
    for (size_t i = 0; i < span; ++i) base[i] = uint8_t(i * 131 + 7);
    uint8_t* const lowest = base + shape.lead;
    const ptrdiff_t distance = ptrdiff_t(shape.distance);
    uint8_t* const top = shape.up ? lowest + (h_ - 1) * distance : lowest;
    image_ = MorvaneImage{top, w_, h_, shape.up ? -distance : distance};
    for (int32_t y = 0; y < h_; ++y) {
      for (int32_t x = 0; x < w_; ++x) {
        const Pixel p = from.Get(x, y);
        std::memcpy(At(x, y), &p, 4);
      }
    }
    base_ = base;
    before_.assign(base, base + span);
  }

  const MorvaneImage* image() const { return &image_; }

  // What differs from `bmp` (empty when nothing does): a pixel, or a byte that is not one.
  std::string DifferenceFrom(const HostBitmap& bmp) const {
    std::vector<uint8_t> want = before_;
    for (int32_t y = 0; y < h_; ++y) {
      for (int32_t x = 0; x < w_; ++x) {
        const Pixel p = bmp.Get(x, y);
        std::memcpy(want.data() + (At(x, y) - base_), &p, 4);
      }
    }
    for (size_t i = 0; i < want.size(); ++i) {
      if (base_[i] == want[i]) continue;
      const ptrdiff_t off = ptrdiff_t(i) - (static_cast<uint8_t*>(image_.pixels) - base_);
      return "image byte at offset " + std::to_string(off) + " from row 0 differs";
    }
    return "";
  }

 private:
  struct Shape {
    size_t distance, lead, tail;  // bytes between rows, before the lowest and after the highest
    bool up;                      // rows stored bottom-up
  };
  static Shape ShapeOf(ImageLayout layout, int32_t w) {
    const size_t row = size_t(w) * 4;
    switch (layout) {
      case ImageLayout::kTopDown:
        return {row, 0, 0, false};
      case ImageLayout::kBottomUp:
        return {row, 0, 0, true};
      case ImageLayout::kPadded:
        return {row + 12, 0, 0, false};
      case ImageLayout::kOddAddress:
        return {row + 3, 1, 0, true};
      default:
        return {row + 20, 12, 8, true};  // a window of a buffer 5 pixels wider
    }
  }
  static size_t Span(ImageLayout layout, int32_t w, int32_t h) {
    if (w <= 0 || h <= 0) return 0;
    const Shape s = ShapeOf(layout, w);
    return s.lead + size_t(h - 1) * s.distance + size_t(w) * 4 + s.tail;
  }
  uint8_t* At(int32_t x, int32_t y) const {
    return static_cast<uint8_t*>(image_.pixels) + ptrdiff_t(y) * image_.stride + x * 4;
  }

  int32_t w_, h_;
  GuardedBlock block_;
  MorvaneImage image_{};
  uint8_t* base_ = nullptr;
  std::vector<uint8_t> before_;
};

// Records that cannot describe memory, made from a good 9 x 5 image's: no pixels, negative sizes,
// rows that overlap, and rows whose reach passes the address space.
inline std::vector<MorvaneImage> BadImageRecords(const MorvaneImage& good) {
  void* const p = good.pixels;
  const ptrdiff_t huge = PTRDIFF_MAX / 2 + 1;
  return {{nullptr, 9, 5, 36}, {p, -1, 5, 36},   {p, 9, -1, 36},
          {p, 9, 5, 35},       {p, 9, 5, -35},   {p, 9, 5, 0},
          {p, 9, 3, huge},     {p, 9, 3, -huge}, {p, 9, 2, PTRDIFF_MIN}};
}

// The scene's bitmaps as image records, for the same call through the ordinary-buffer API: each
// laid out one of the ways ImageCopy knows, by the seed. A bitmap drawn onto itself is one record,
// or every other time two records of the same buffer.
struct SceneImages {
  SceneImages(const RandomScene& s, uint32_t seed)
      : dst(s.dst.lib, ImageLayout(seed % uint32_t(ImageLayout::kCount)), s.fence),
        src(s.self ? nullptr
                   : std::make_unique<ImageCopy>(
                         s.src().lib, ImageLayout(seed / 5 % uint32_t(ImageLayout::kCount)),
                         s.fence == Fence::kEnd ? Fence::kStart : Fence::kEnd)),
        alias(*dst.image()) {}
  const MorvaneImage* dst_record() const { return dst.image(); }
  const MorvaneImage* src_record(uint32_t seed) const {
    if (src) return src->image();
    return seed % 2 ? &alias : dst.image();
  }
  // What differs from the host bitmaps after the same call through the exports.
  std::string DifferenceFrom(const RandomScene& s) const {
    std::string d = dst.DifferenceFrom(s.dst.lib);
    if (d.empty() && src) d = src->DifferenceFrom(s.src().lib);
    return d;
  }

  ImageCopy dst;
  std::unique_ptr<ImageCopy> src;
  MorvaneImage alias;
};

}  // namespace morvane_test

#endif  // MORVANE_TESTS_IMAGE_COPY_H_
