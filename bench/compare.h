// What the comparison's sections share: the options of a run, the measuring loop (contenders
// sampled in turns, medians), the tables and CSV rows they print, the scenes' pixels, and SDL as a
// peer. Each section (squares, sprites, layers, per call, ClipBlt) lives in its own file.
#ifndef MORVANE_BENCH_COMPARE_H_
#define MORVANE_BENCH_COMPARE_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "composite/simd_level.h"
#include "host/host_bitmap.h"

namespace morvane_bench {

using morvane::SimdLevel;
using morvane_test::HostBitmap;

struct Options {
  bool quick = false;
  bool normal_only = false;  // BLEND_NORMAL rows only, as the 8-register build reports them
  SimdLevel level = SimdLevel::kScalar;  // the walks measured: the processor's, or --cap's
  std::string variant;                   // how this build differs, e.g. "8 vector registers"
  std::string processor;                 // as DescribeProcessor() gives it, for the CSV rows
  std::FILE* csv = nullptr;

  // Many short samples rather than a few long ones: on a shared machine a sample that another
  // process interrupts is an outlier the median drops, so fewer of them should be hit.
  int Samples() const { return quick ? 7 : 15; }
  // How long one sample of one contender should take; the number of calls follows from it.
  double SampleSeconds() const { return quick ? 0.0015 : 0.005; }
  // A row's walk as the tables show it: with the build when it is not the plain one.
  std::string Shown(const std::string& walk) const;
};

// One contender of a measurement. `call` makes one call; `turn` counts every call made so far
// over all contenders, so that calls rotating over several scenes find the others' bytes evicted.
// `restore`, when set, puts back what one call changed; it runs after each call, untimed.
// `level` caps the library's vector walks while the contender runs (peers ignore it).
struct Contender {
  Contender(std::string name, SimdLevel cap, std::function<void(size_t turn)> one_call)
      : label(std::move(name)), call(std::move(one_call)), level(cap) {}

  std::string label;
  std::function<void(size_t turn)> call;
  std::function<void(size_t turn)> restore;
  SimdLevel level;
  std::vector<double> seconds;  // per call, one per sample; sorted once measured

  double Median() const { return seconds[seconds.size() / 2]; }
};

// Samples every contender in turns, so that a passing disturbance on a shared machine falls on all
// of them alike, and leaves each one's seconds per call sorted (Median() is the figure).
void MeasureInTurns(std::vector<Contender>& all, const Options& options);

// "2.35", or "-" when there is nothing to divide by.
std::string Ratio(double a, double b);
std::string Fixed(double value, int decimals);

// A markdown table whose columns are padded so that it also reads as plain text. `align` holds
// one 'l' or 'r' per column.
class Table {
 public:
  Table(std::vector<std::string> headers, std::string align);
  void Add(std::vector<std::string> cells);
  void Print() const;

 private:
  std::vector<std::vector<std::string>> rows_;
  std::string align_;
};

// One machine-readable row for the chart: what was measured, its time per call and its speed.
void CsvRow(const Options& options, const std::string& section, const std::string& contender,
            const std::string& walk, const std::string& size, const std::string& destination,
            double seconds_per_call, double mpix_per_second);
void CsvHeader(std::FILE* csv);

// The processor as lscpu names it, with the flags that decide which walks run.
std::string DescribeProcessor();

// Pixels for the peers: 64-byte aligned, `pixels` 32-bit words, zeroed.
class Pixels {
 public:
  explicit Pixels(size_t pixels);
  uint8_t* bytes() const { return data_.get(); }
  uint32_t* words() const { return reinterpret_cast<uint32_t*>(data_.get()); }
  size_t size() const { return size_; }

 private:
  struct Free {
    void operator()(uint8_t* p) const;
  };
  std::unique_ptr<uint8_t, Free> data_;
  size_t size_;
};

// Sources as sprites have them: per pixel, 40 % clear, 30 % opaque, 30 % in between.
void FillSpriteAlphas(HostBitmap& bitmap, std::mt19937& rng);
// Random colours, every alpha 255 (a screen) or random per pixel (a layer).
void FillDestination(HostBitmap& bitmap, std::mt19937& rng, bool opaque);

// A host bitmap's pixels as an image record of the ordinary-buffer API (rows bottom-up), so that
// the two ways in are measured on the same bytes.
inline MorvaneImage ImageOf(const HostBitmap& bitmap) {
  const int32_t w = bitmap.width(), h = bitmap.height();
  return MorvaneImage{bitmap.buffer() + (size_t(h) - 1) * size_t(w) * 4, w, h, -ptrdiff_t{w} * 4};
}

// Copies `bytes` between 16-byte aligned buffers. `bypass_cache` streams the stores past the
// caches, so that an untimed copy leaves no dirty lines behind for the next timed call to write
// back, nor warm ones for it to find.
void CopyPixels(uint8_t* to, const uint8_t* from, size_t bytes, bool bypass_cache);

// The memory floor: reads `bytes` of source and destination and writes the destination, with
// AVX2 loads and stores where the processor has AVX2 and SSE2 ones otherwise.
void MemoryFloor(uint8_t* destination, const uint8_t* source, size_t bytes);
const char* MemoryFloorKind();

// SDL as a peer, one release or another behind the same few calls. Surfaces wrap ARGB8888 pixels
// (our blue, green, red, alpha on a little-endian machine) without copying and blend with
// SDL_BLENDMODE_BLEND.
class SdlPeer {
 public:
  virtual ~SdlPeer() = default;
  virtual const char* name() const = 0;
  virtual std::string version() const = 0;
  virtual void* Wrap(uint8_t* pixels, int32_t width, int32_t height) const = 0;
  virtual void Free(void* surface) const = 0;
  // SDL_BlitSurface of the whole source with its top-left corner at (x, y), clipped by SDL.
  virtual void Blit(void* source, void* destination, int32_t x, int32_t y) const = 0;
};

const SdlPeer& Sdl2();
// SDL3 where the build found it and it loads; null otherwise (`why` says what happened).
const SdlPeer* Sdl3(std::string* why = nullptr);
// SDL2, then SDL3 when present.
std::vector<const SdlPeer*> SdlPeers();

// The sections, each printing its tables (and CSV rows).
void RunSquares(const Options& options);
void RunSprites(const Options& options);
void RunLayers(const Options& options);
void RunPerCall(const Options& options);
void RunClipBlt(const Options& options);

}  // namespace morvane_bench

#endif  // MORVANE_BENCH_COMPARE_H_
