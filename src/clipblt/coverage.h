// A bit for each pixel of the fitted rectangle, set where a region's rectangle covers it: the
// walks' coverage mask (see BlitViews). Rectangles may overlap; each pixel is drawn once whatever
// covers it, so the mask needs no union of the rectangles.
#ifndef MORVANE_CLIPBLT_COVERAGE_H_
#define MORVANE_CLIPBLT_COVERAGE_H_

#include <cstddef>
#include <cstdint>

#include "clipblt/clip_list.h"
#include "composite/composite_rect.h"
#include "heap_block.h"

namespace morvane {

class Coverage {
 public:
  Coverage() = default;
  Coverage(const Coverage&) = delete;
  Coverage& operator=(const Coverage&) = delete;

  // A clear mask for a w x h rectangle; false when the memory cannot be had.
  bool Reserve(int32_t w, int32_t h);

  // Sets the bits of every pixel the boxes cover.
  void Mark(const ClipBox* boxes, size_t count) {
    uint64_t* const words = words_.get();
    const size_t stride = stride_;
    for (size_t n = 0; n < count; ++n) {
      const ClipBox& box = boxes[n];
      const int32_t first = box.left >> 6, last = (box.right - 1) >> 6;
      const uint64_t head = ~uint64_t{0} << (box.left & 63);
      const uint64_t tail = ~uint64_t{0} >> (63 - ((box.right - 1) & 63));
      uint64_t* row = words + size_t(box.top) * stride;
      if (first == last) {  // most pieces of a glyph-like region
        for (int32_t i = box.top; i < box.bottom; ++i, row += stride) row[first] |= head & tail;
        continue;
      }
      for (int32_t i = box.top; i < box.bottom; ++i, row += stride) {
        row[first] |= head;
        for (int32_t k = first + 1; k < last; ++k) row[k] = ~uint64_t{0};
        row[last] |= tail;
      }
    }
  }

  const uint64_t* data() const { return words_.get(); }
  size_t stride() const { return stride_; }

 private:
  HeapBlock<uint64_t> words_;
  size_t stride_ = 0;
};

// Whether drawing the boxes through a coverage mask beats walking them one by one: they break the
// rectangle's rows into many pieces (each piece of a row costs the box walk a row's set-up, a
// masked vector a few operations), the mask stays small, and the rectangle the masked walk covers
// is not much larger than the boxes.
bool PreferCoverage(const ClipBox* boxes, size_t count, const ClipShape& shape, int32_t w,
                    int32_t h);

}  // namespace morvane

#endif  // MORVANE_CLIPBLT_COVERAGE_H_
