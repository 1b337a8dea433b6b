// One table of blit throughput: every blend mode and raster operation through the exports, on a
// square that stays in cache (256) and on squares that do not (2048, rotating over several scenes
// so that each blit reads cold memory), beside the same blit forced onto the scalar reference walk,
// pixman's OVER of a8r8g8b8 onto a8r8g8b8, SDL2's alpha blit, and the memory floor (a plain
// vector loop that reads source and destination and writes the destination). Sources have alphas
// mixed 0 / 255 / in-between, as sprites have them. Each figure is the median of repeated runs.
//
//   morvane_compare [--quick] [--cap sse2|sse4.1|avx2|avx512]
//
// --quick takes fewer samples; --cap measures as on a processor that stops at that vector level.
#include <SDL.h>
#include <emmintrin.h>
#include <pixman.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "composite/simd_level.h"
#include "host/host_bitmap.h"

namespace {

using morvane::SimdLevel;
using morvane_test::HostBitmap;

struct Scene {
  HostBitmap dst, src;
  pixman_image_t* pix_dst;
  pixman_image_t* pix_src;
  SDL_Surface* sdl_dst;
  SDL_Surface* sdl_src;
  // Each peer draws on its own copy of the destination: they keep its alphas in other ways (SDL's
  // blend, for one, takes an opaque destination below 255), and each must meet the scene it was
  // given.
  HostBitmap peer_dst;
  Scene(int32_t size, uint32_t seed, bool opaque)
      : dst(size, size), src(size, size), peer_dst(size, size) {
    std::mt19937 rng(seed);
    dst.FillRandom(rng);
    src.FillRandom(rng);
    if (opaque) {
      for (size_t i = 3; i < dst.buffer_bytes(); i += 4) dst.buffer()[i] = 255;
    }
    std::memcpy(peer_dst.buffer(), dst.buffer(), dst.buffer_bytes());
    // Our bytes blue, green, red, alpha are pixman's and SDL's a8r8g8b8 / ARGB8888 on a
    // little-endian machine; row order does not matter for throughput.
    auto* d = reinterpret_cast<uint32_t*>(peer_dst.buffer());
    auto* s = reinterpret_cast<uint32_t*>(src.buffer());
    pix_dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, size, size, d, size * 4);
    pix_src = pixman_image_create_bits(PIXMAN_a8r8g8b8, size, size, s, size * 4);
    sdl_dst =
        SDL_CreateRGBSurfaceWithFormatFrom(d, size, size, 32, size * 4, SDL_PIXELFORMAT_ARGB8888);
    sdl_src =
        SDL_CreateRGBSurfaceWithFormatFrom(s, size, size, 32, size * 4, SDL_PIXELFORMAT_ARGB8888);
    SDL_SetSurfaceBlendMode(sdl_src, SDL_BLENDMODE_BLEND);
  }
  ~Scene() {
    pixman_image_unref(pix_dst);
    pixman_image_unref(pix_src);
    SDL_FreeSurface(sdl_dst);
    SDL_FreeSurface(sdl_src);
  }
};

// The floor: every destination byte read and written and every source byte read, nothing else.
void MemoryFloor(Scene& scene) {
  auto* d = reinterpret_cast<__m128i*>(scene.dst.buffer());
  const auto* s = reinterpret_cast<const __m128i*>(scene.src.buffer());
  const size_t n = scene.dst.buffer_bytes() / 16;
  for (size_t i = 0; i < n; ++i) {
    _mm_storeu_si128(d + i, _mm_or_si128(_mm_loadu_si128(d + i), _mm_loadu_si128(s + i)));
  }
}

using Kernel = std::function<void(Scene&)>;

// Megapixels per second of several kernels on scenes of one size, sampled in turns so that a
// passing disturbance on a shared machine falls on all of them alike; the median sample of each.
// A sample runs a kernel `per_sample / cost` times, moving to the next scene each time.
struct Contender {
  Kernel kernel;
  int cost;  // how many times slower than the others it is expected to be
  std::vector<double> rates;
};

void MeasureInTurns(std::vector<std::unique_ptr<Scene>>& scenes, std::vector<Contender>& all,
                    int samples, int per_sample) {
  const double pixels = double(scenes[0]->dst.width()) * scenes[0]->dst.height();
  size_t next = 0;
  for (Contender& c : all) c.kernel(*scenes[next++ % scenes.size()]);  // warm up
  for (int i = 0; i < samples; ++i) {
    for (Contender& c : all) {
      const int runs = std::max(1, per_sample / c.cost);
      const auto start = std::chrono::steady_clock::now();
      for (int k = 0; k < runs; ++k) c.kernel(*scenes[next++ % scenes.size()]);
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      c.rates.push_back(pixels * runs / took.count() / 1e6);
    }
  }
  for (Contender& c : all) std::sort(c.rates.begin(), c.rates.end());
}

double Median(const Contender& c) { return c.rates[c.rates.size() / 2]; }

struct Row {
  const char* export_name;
  const char* code_name;
  uint32_t code;
  bool blend;
};

const Row kRows[] = {
    {"BlendBlt", "BLEND_NORMAL", BLEND_NORMAL, true},
    {"BlendBlt", "BLEND_ADD", BLEND_ADD, true},
    {"BlendBlt", "BLEND_SUBTRACT", BLEND_SUBTRACT, true},
    {"BlendBlt", "BLEND_MULTIPLY", BLEND_MULTIPLY, true},
    {"BlendBlt", "BLEND_BRIGHTEN", BLEND_BRIGHTEN, true},
    {"RopBlt", "SRCCOPY", SRCCOPY, false},
    {"RopBlt", "SRCPAINT", SRCPAINT, false},
    {"RopBlt", "SRCAND", SRCAND, false},
    {"RopBlt", "SRCINVERT", SRCINVERT, false},
    {"RopBlt", "SRCERASE", SRCERASE, false},
    {"RopBlt", "NOTSRCCOPY", NOTSRCCOPY, false},
    {"RopBlt", "NOTSRCERASE", NOTSRCERASE, false},
};

// The row's export with the vector walks capped at `level` (kScalar: the reference walk).
Kernel Blit(const Row& row, SimdLevel level) {
  return [&row, level](Scene& s) {
    const int32_t n = s.dst.width();
    morvane::CapSimdLevelForTesting(level);
    if (row.blend) {
      BlendBlt(s.dst.desc(), 0, 0, n, n, s.src.desc(), 0, 0, row.code);
    } else {
      RopBlt(s.dst.desc(), 0, 0, n, n, s.src.desc(), 0, 0, row.code);
    }
    morvane::CapSimdLevelForTesting(morvane::kTopSimdLevel);
  };
}

void PrintLine(const std::string& kernel, int32_t size, double mpix, double scalar, double pixman,
               double floor) {
  auto ratio = [](double a, double b) {
    if (b <= 0) return std::string("-");
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.2f", a / b);
    return std::string(buf);
  };
  std::printf("| %-30s | %4d | %8.0f | %7s | %7s | %7s |\n", kernel.c_str(), size, mpix,
              ratio(mpix, scalar).c_str(), ratio(mpix, pixman).c_str(), ratio(mpix, floor).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false, opaque = false;
  SimdLevel level = morvane::CpuSimdLevel();
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) quick = true;
    if (std::strcmp(argv[i], "--opaque") == 0) opaque = true;
    if (std::strcmp(argv[i], "--cap") == 0 && i + 1 < argc) {
      const char* name = argv[++i];
      for (int l = int(SimdLevel::kSse2); l < int(level); ++l) {
        if (std::strcmp(name, morvane::SimdLevelName(SimdLevel(l))) == 0) level = SimdLevel(l);
      }
    }
  }
  const int samples = quick ? 3 : 11;
  std::printf("vector walks: %s; pixman %s; SDL %d.%d.%d\n\n", morvane::SimdLevelName(level),
              pixman_version_string(), SDL_MAJOR_VERSION, SDL_MINOR_VERSION, SDL_PATCHLEVEL);
  std::printf("| %-30s | %4s | %8s | %7s | %7s | %7s |\n", "kernel", "size", "Mpix/s", "/scalar",
              "/pixman", "/floor");
  std::printf("|%s|-----:|---------:|--------:|--------:|--------:|\n",
              std::string(32, '-').c_str());
  for (int32_t size : {256, 2048}) {
    // Several large scenes, so that each blit of one finds the others' bytes evicted.
    std::vector<std::unique_ptr<Scene>> scenes;
    const int count = size == 256 ? 1 : 4;
    for (int i = 0; i < count; ++i) scenes.push_back(std::make_unique<Scene>(size, 17 + i, opaque));
    std::vector<Contender> all;
    all.push_back({MemoryFloor, 1, {}});
    all.push_back({[](Scene& s) {
                     const int32_t n = s.dst.width();
                     pixman_image_composite32(PIXMAN_OP_OVER, s.pix_src, nullptr, s.pix_dst, 0, 0,
                                              0, 0, 0, 0, n, n);
                   },
                   1,
                   {}});
    all.push_back(
        {[](Scene& s) { SDL_BlitSurface(s.sdl_src, nullptr, s.sdl_dst, nullptr); }, 8, {}});
    for (const Row& row : kRows) {
      all.push_back({Blit(row, SimdLevel::kScalar), 8, {}});
      all.push_back({Blit(row, level), 1, {}});
    }
    // BLEND_NORMAL again on each lower vector level the processor has, for comparison.
    std::vector<SimdLevel> lower;
    for (int l = int(level) - 1; l >= int(SimdLevel::kSse2); --l) lower.push_back(SimdLevel(l));
    for (SimdLevel l : lower) all.push_back({Blit(kRows[0], l), 2, {}});
    MeasureInTurns(scenes, all, samples, size == 256 ? (quick ? 16 : 64) : 2);

    const double floor = Median(all[0]), pixman = Median(all[1]);
    for (size_t r = 0; r < std::size(kRows); ++r) {
      const double scalar = Median(all[3 + 2 * r]);
      const std::string name = std::string(kRows[r].export_name) + " " + kRows[r].code_name;
      PrintLine(name, size, Median(all[4 + 2 * r]), scalar, pixman, floor);
      if (r != 0) continue;
      for (size_t k = 0; k < lower.size(); ++k) {
        const std::string path = std::string(" (") + morvane::SimdLevelName(lower[k]) + ")";
        PrintLine(name + path, size, Median(all[3 + 2 * std::size(kRows) + k]), scalar, pixman,
                  floor);
      }
      PrintLine(name + " (scalar)", size, scalar, scalar, pixman, floor);
    }
    PrintLine("pixman OVER 8888/8888", size, pixman, 0, pixman, floor);
    PrintLine("SDL_BlitSurface BLEND", size, Median(all[2]), 0, pixman, floor);
    PrintLine("memory floor (read s+d, write d)", size, floor, 0, pixman, floor);
  }
  return 0;
}
