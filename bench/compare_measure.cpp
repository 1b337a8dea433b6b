#include <immintrin.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "compare.h"

namespace morvane_bench {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Seconds taken by `calls` calls of one contender, its walks capped as it asks. With a restore
// step each call is timed alone, so that putting the scene back is never counted.
double Timed(Contender& c, int calls, size_t& turn) {
  morvane::CapSimdLevelForTesting(c.level);
  double seconds = 0;
  if (c.restore) {
    for (int k = 0; k < calls; ++k, ++turn) {
      const auto start = Clock::now();
      c.call(turn);
      seconds += SecondsSince(start);
      c.restore(turn);
    }
  } else {
    const auto start = Clock::now();
    for (int k = 0; k < calls; ++k) c.call(turn++);
    seconds = SecondsSince(start);
  }
  morvane::CapSimdLevelForTesting(morvane::kTopSimdLevel);
  return seconds;
}

__attribute__((target("avx2"))) void FloorAvx2(uint8_t* d, const uint8_t* s, size_t bytes) {
  for (size_t i = 0; i + 32 <= bytes; i += 32) {
    auto* to = reinterpret_cast<__m256i*>(d + i);
    const auto* from = reinterpret_cast<const __m256i*>(s + i);
    _mm256_storeu_si256(to, _mm256_or_si256(_mm256_loadu_si256(to), _mm256_loadu_si256(from)));
  }
}

void FloorSse2(uint8_t* d, const uint8_t* s, size_t bytes) {
  for (size_t i = 0; i + 16 <= bytes; i += 16) {
    auto* to = reinterpret_cast<__m128i*>(d + i);
    const auto* from = reinterpret_cast<const __m128i*>(s + i);
    _mm_storeu_si128(to, _mm_or_si128(_mm_loadu_si128(to), _mm_loadu_si128(from)));
  }
}

bool FloorHasAvx2() { return morvane::CpuSimdLevel() >= SimdLevel::kAvx2; }

std::string CsvField(const std::string& text) {
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\n") - first + 1);
}

}  // namespace

std::string Options::Shown(const std::string& walk) const {
  return variant.empty() || walk == "-" ? walk : walk + ", " + variant;
}

void MeasureInTurns(std::vector<Contender>& all, const Options& options) {
  size_t turn = 0;
  // Each contender warms up, then doubles its calls until they take an eighth of a sample; from
  // that, how many calls make one sample.
  std::vector<int> calls;
  for (Contender& c : all) {
    Timed(c, 1, turn);
    int n = 1;
    double took = Timed(c, n, turn);
    while (took < options.SampleSeconds() / 8 && n < (1 << 20)) {
      n *= 2;
      took = Timed(c, n, turn);
    }
    const double per_call = std::max(took / n, 1e-10);
    calls.push_back(int(std::clamp(options.SampleSeconds() / per_call, 1.0, double(1 << 22))));
  }
  for (int s = 0; s < options.Samples(); ++s) {
    for (size_t i = 0; i < all.size(); ++i) {
      all[i].seconds.push_back(Timed(all[i], calls[i], turn) / calls[i]);
    }
  }
  for (Contender& c : all) std::sort(c.seconds.begin(), c.seconds.end());
}

std::string Fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string Ratio(double a, double b) { return a > 0 && b > 0 ? Fixed(a / b, 2) : "-"; }

Table::Table(std::vector<std::string> headers, std::string align) : align_(std::move(align)) {
  rows_.push_back(std::move(headers));
}

void Table::Add(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }

void Table::Print() const {
  std::vector<size_t> width(align_.size(), 3);
  for (const auto& row : rows_) {
    for (size_t i = 0; i < row.size(); ++i) width[i] = std::max(width[i], row[i].size());
  }
  auto print_row = [&](const std::vector<std::string>& row) {
    for (size_t i = 0; i < row.size(); ++i) {
      const int w = int(width[i]);
      std::printf(align_[i] == 'r' ? "| %*s " : "| %-*s ", w, row[i].c_str());
    }
    std::printf("|\n");
  };
  print_row(rows_[0]);
  for (size_t i = 0; i < width.size(); ++i) {
    std::printf("|%s%s", std::string(width[i] + 1, '-').c_str(), align_[i] == 'r' ? ":" : "-");
  }
  std::printf("|\n");
  for (size_t r = 1; r < rows_.size(); ++r) print_row(rows_[r]);
  std::printf("\n");
}

void CsvHeader(std::FILE* csv) {
  std::fprintf(csv,
               "section,contender,walk,variant,cap,size,destination,ns_per_call,mpix_per_s,"
               "processor\n");
}

void CsvRow(const Options& options, const std::string& section, const std::string& contender,
            const std::string& walk, const std::string& size, const std::string& destination,
            double seconds_per_call, double mpix_per_second) {
  if (options.csv == nullptr) return;
  std::fprintf(options.csv, "%s,%s,%s,%s,%s,%s,%s,%.1f,%.1f,%s\n", section.c_str(),
               CsvField(contender).c_str(), walk.c_str(), CsvField(options.variant).c_str(),
               morvane::SimdLevelName(options.level), CsvField(size).c_str(), destination.c_str(),
               seconds_per_call * 1e9, mpix_per_second, CsvField(options.processor).c_str());
}

std::string DescribeProcessor() {
  std::string name = "unknown processor", family = "?", model = "?", flags;
  if (FILE* lscpu = popen("LC_ALL=C lscpu 2>/dev/null", "r")) {
    char line[4096];
    while (std::fgets(line, sizeof line, lscpu) != nullptr) {
      const char* colon = std::strchr(line, ':');
      if (colon == nullptr) continue;
      const std::string key = Trim(std::string(line, size_t(colon - line))),
                        value = Trim(colon + 1);
      if (key == "Model name") name = value;
      if (key == "CPU family") family = value;
      if (key == "Model") model = value;
      if (key == "Flags") flags = " " + value + " ";
    }
    pclose(lscpu);
  }
  std::string has, lacks;
  for (const char* flag : {"sse2", "sse4_1", "avx2", "avx512f", "avx512bw"}) {
    const bool found = flags.find(std::string(" ") + flag + " ") != std::string::npos;
    std::string& list = found ? has : lacks;
    list += (list.empty() ? "" : " ") + std::string(flag);
  }
  std::string text = name + " (family " + family + ", model " + model + "; " + has;
  if (!lacks.empty()) text += "; without " + lacks;
  return text + ")";
}

Pixels::Pixels(size_t pixels)
    : data_(static_cast<uint8_t*>(std::aligned_alloc(64, (pixels * 4 + 64) / 64 * 64))),
      size_(pixels) {
  if (!data_) {
    std::fprintf(stderr, "out of memory for %zu pixels\n", pixels);
    std::abort();
  }
  std::memset(data_.get(), 0, pixels * 4);
}

void Pixels::Free::operator()(uint8_t* p) const { std::free(p); }

void FillSpriteAlphas(HostBitmap& bitmap, std::mt19937& rng) {
  std::uniform_int_distribution<int> byte(0, 255), percent(0, 99), between(1, 254);
  uint8_t* p = bitmap.buffer();
  for (size_t i = 0; i < bitmap.buffer_bytes(); i += 4) {
    for (int c = 0; c < 3; ++c) p[i + c] = uint8_t(byte(rng));
    const int kind = percent(rng);
    p[i + 3] = uint8_t(kind < 40 ? 0 : kind < 70 ? 255 : between(rng));
  }
}

void FillDestination(HostBitmap& bitmap, std::mt19937& rng, bool opaque) {
  std::uniform_int_distribution<int> byte(0, 255);
  uint8_t* p = bitmap.buffer();
  for (size_t i = 0; i < bitmap.buffer_bytes(); i += 4) {
    for (int c = 0; c < 3; ++c) p[i + c] = uint8_t(byte(rng));
    p[i + 3] = uint8_t(opaque ? 255 : byte(rng));
  }
}

void MemoryFloor(uint8_t* destination, const uint8_t* source, size_t bytes) {
  if (FloorHasAvx2()) {
    FloorAvx2(destination, source, bytes);
  } else {
    FloorSse2(destination, source, bytes);
  }
}

void CopyPixels(uint8_t* to, const uint8_t* from, size_t bytes, bool bypass_cache) {
  if (!bypass_cache) {
    std::memcpy(to, from, bytes);
    return;
  }
  for (size_t i = 0; i + 16 <= bytes; i += 16) {
    _mm_stream_si128(reinterpret_cast<__m128i*>(to + i),
                     _mm_load_si128(reinterpret_cast<const __m128i*>(from + i)));
  }
  _mm_sfence();
}

const char* MemoryFloorKind() { return FloorHasAvx2() ? "avx2" : "sse2"; }

std::vector<const SdlPeer*> SdlPeers() {
  std::vector<const SdlPeer*> peers = {&Sdl2()};
  if (const SdlPeer* three = Sdl3()) peers.push_back(three);
  return peers;
}

}  // namespace morvane_bench
