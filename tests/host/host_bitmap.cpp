#include "host/host_bitmap.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace morvane_test {
namespace {

size_t RoundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }

void PutWord(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

uint32_t HostAddress(const void* p) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(p);
  if (address > 0xFFFFFFFFu) {
    std::fprintf(stderr, "host memory above 4 GiB: %p\n", p);
    std::abort();
  }
  return static_cast<uint32_t>(address);
}

HostBitmap::HostBitmap(int32_t width, int32_t height, Pixel fill, Fence fence)
    : records_(256),
      buffer_(width > 0 && height > 0 ? size_t(width) * size_t(height) * 4 : 0),
      desc_{0, width, height} {
  const size_t bytes = buffer_bytes();
  // The usable part of the block is whole pages; the buffer takes its start or its end.
  const size_t room = RoundUp(bytes, GuardedBlock::PageSize());
  pixels_ = fence == Fence::kStart ? buffer_.begin() : buffer_.begin() + (room - bytes);
  for (size_t i = 0; i < bytes; i += 4) std::memcpy(pixels_ + i, &fill, 4);

  // The host's records, with bytes the library must not depend on set to noise. The data record
  // sits at an odd address, since nothing promises the host aligns its words.
  uint8_t* rec = records_.begin();
  std::memset(rec, 0xA5, 256);
  uint8_t* object = rec;
  uint8_t* data = rec + 65;
  uint8_t* pixel_info = rec + 160;
  PutWord(object + 16, HostAddress(data));
  PutWord(data + 8, HostAddress(pixel_info));
  PutWord(pixel_info + 16, HostAddress(pixels_));
  desc_.id = static_cast<int32_t>(HostAddress(object) / 2);
}

Pixel HostBitmap::Get(int32_t x, int32_t y) const {
  Pixel p;
  std::memcpy(&p, pixels_ + (size_t(height() - 1 - y) * size_t(width()) + size_t(x)) * 4, 4);
  return p;
}

void HostBitmap::Set(int32_t x, int32_t y, Pixel p) {
  std::memcpy(pixels_ + (size_t(height() - 1 - y) * size_t(width()) + size_t(x)) * 4, &p, 4);
}

std::vector<Pixel> HostBitmap::Snapshot() const {
  std::vector<Pixel> out;
  for (int32_t y = 0; y < height(); ++y) {
    for (int32_t x = 0; x < width(); ++x) out.push_back(Get(x, y));
  }
  return out;
}

void HostBitmap::FillRandom(std::mt19937& rng) {
  std::uniform_int_distribution<int> byte(0, 255), third(0, 2);
  for (size_t i = 0; i < buffer_bytes(); i += 4) {
    for (int c = 0; c < 3; ++c) pixels_[i + c] = static_cast<uint8_t>(byte(rng));
    const int kind = third(rng);
    pixels_[i + 3] = static_cast<uint8_t>(kind == 0 ? 0 : kind == 1 ? 255 : byte(rng));
  }
}

void HostBitmap::FillRandomRuns(std::mt19937& rng) {
  FillRandom(rng);
  std::uniform_int_distribution<int> kind(0, 2), run(1, 40);
  const size_t pixels = buffer_bytes() / 4;
  for (size_t i = 0; i < pixels;) {
    const int k = kind(rng);
    const size_t end = std::min(pixels, i + size_t(run(rng)));
    for (; i < end; ++i) {
      if (k < 2) pixels_[i * 4 + 3] = static_cast<uint8_t>(k == 0 ? 0 : 255);
    }
  }
}

void HostBitmap::MakeOpaque(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  for (int32_t y = 0; y < height(); ++y) {
    for (int32_t x = 0; x < width(); ++x) {
      if (x >= left && x < right && y >= top && y < bottom) continue;
      pixels_[(size_t(height() - 1 - y) * size_t(width()) + size_t(x)) * 4 + 3] = 255;
    }
  }
}

}  // namespace morvane_test
