// Region records as a caller lays them out for ClipBlt on platforms without GDI regions. Each
// record ends right at an inaccessible page, so a read past the bytes it declares faults.
#ifndef MORVANE_TESTS_REGION_RECORD_H_
#define MORVANE_TESTS_REGION_RECORD_H_

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "host/host_bitmap.h"
#include "morvane.h"

namespace morvane_test {

using Rects = std::vector<MorvaneRgnRect>;

// The header as written; by default a well-formed record of the given rectangles.
struct RecordHeader {
  uint32_t size = 32;
  uint32_t type = 1;
  int64_t count = -1;     // -1: the number of rectangles
  int64_t rgn_size = -1;  // -1: count * 16
};

class RegionRecord {
 public:
  // `tail` bytes of noise follow the rectangles; since the record ends at the guard page, they
  // also move its start off any alignment.
  explicit RegionRecord(Rects rects, RecordHeader header = {}, size_t tail = 0)
      : rects_(std::move(rects)),
        bytes_(32 + rects_.size() * 16 + tail),
        block_(std::make_unique<GuardedBlock>(bytes_)) {
    const size_t page = GuardedBlock::PageSize();
    start_ = block_->begin() + (bytes_ + page - 1) / page * page - bytes_;
    std::memset(start_, 0x5A, bytes_);
    const uint32_t count = header.count < 0 ? uint32_t(rects_.size()) : uint32_t(header.count);
    const uint32_t fields[4] = {header.size, header.type, count,
                                header.rgn_size < 0 ? count * 16 : uint32_t(header.rgn_size)};
    std::memcpy(start_, fields, sizeof fields);
    if (!rects_.empty()) std::memcpy(start_ + 32, rects_.data(), rects_.size() * 16);
  }

  MorvaneRegion get() const { return reinterpret_cast<MorvaneRegion>(start_); }
  const Rects& rects() const { return rects_; }

 private:
  Rects rects_;
  size_t bytes_;
  std::unique_ptr<GuardedBlock> block_;
  uint8_t* start_;
};

// Whether region point (j, i) lies in any of the rectangles.
inline bool RectsContain(const Rects& rects, int64_t j, int64_t i) {
  for (const MorvaneRgnRect& r : rects) {
    if (j >= r.left && j < r.right && i >= r.top && i < r.bottom) return true;
  }
  return false;
}

}  // namespace morvane_test

#endif  // MORVANE_TESTS_REGION_RECORD_H_
