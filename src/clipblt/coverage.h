// A bit for each pixel of the fitted rectangle, set where a region's rectangle covers it: the
// walks' coverage mask (see BlitViews). Rectangles may overlap; each pixel is drawn once whatever
// covers it, so the mask needs no union of the rectangles.
#ifndef MORVANE_CLIPBLT_COVERAGE_H_
#define MORVANE_CLIPBLT_COVERAGE_H_

#include <cstddef>
#include <cstdint>

#include "clipblt/clip_list.h"
#include "composite/composite_rect.h"

namespace morvane {

class Coverage {
 public:
  Coverage() = default;
  Coverage(const Coverage&) = delete;
  Coverage& operator=(const Coverage&) = delete;
  ~Coverage();

  // A clear mask for a w x h rectangle; false when the memory cannot be had.
  bool Reserve(int32_t w, int32_t h);
  void Mark(const ClipBox& box);

  const uint64_t* data() const { return words_; }
  size_t stride() const { return stride_; }

 private:
  uint64_t* words_ = nullptr;
  size_t stride_ = 0;
};

// Whether drawing the boxes through a coverage mask beats walking them one by one: they break the
// rectangle's rows into many pieces (each piece of a row costs the box walk a row's set-up, a
// masked vector a few operations), the mask stays small, and the rectangle the masked walk covers
// is not much larger than the boxes.
bool PreferCoverage(const ClipShape& shape, size_t count, int32_t w, int32_t h);

}  // namespace morvane

#endif  // MORVANE_CLIPBLT_COVERAGE_H_
