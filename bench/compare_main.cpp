// morvane_compare: our blits beside their peers, every figure a ratio taken in one run with
// samples in turns. Markdown tables on stdout, ready for the README; --csv adds rows for the chart.
//
//   morvane_compare [--quick] [--cap sse2|sse4.1|avx2|avx512] [--csv FILE]
//                   [--sections squares,sprites,layers,per-call,clipblt] [--normal-only]
//                   [--variant NAME] [--levels]
//
// --quick takes fewer and shorter samples; --cap measures as on a processor that stops at that
// vector level; --normal-only keeps BLEND_NORMAL's rows alone; --variant names how this build
// differs (it labels our rows); --levels prints the processor's vector levels, best first.
#include <pixman.h>

#include <cstdlib>
#include <cstring>

#include "compare.h"

namespace {

using morvane::SimdLevel;
using morvane_bench::Options;

int Usage(const char* why) {
  std::fprintf(stderr,
               "morvane_compare: %s\n"
               "usage: morvane_compare [--quick] [--cap sse2|sse4.1|avx2|avx512] [--csv FILE]\n"
               "         [--sections squares,sprites,layers,per-call,clipblt] [--normal-only]\n"
               "         [--variant NAME] [--levels]\n",
               why);
  return 2;
}

bool Listed(const std::string& list, const char* section) {
  return ("," + list + ",").find(std::string(",") + section + ",") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  const SimdLevel cpu = morvane::CpuSimdLevel();
  o.level = cpu;
  std::string sections = "squares,sprites,layers,per-call,clipblt", csv_path;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--quick") {
      o.quick = true;
    } else if (arg == "--normal-only") {
      o.normal_only = true;
    } else if (arg == "--levels") {
      for (int l = int(cpu); l > int(SimdLevel::kScalar); --l) {
        std::printf("%s%s", morvane::SimdLevelName(SimdLevel(l)), l > 1 ? " " : "\n");
      }
      return 0;
    } else if (arg == "--cap" && has_value) {
      const std::string name = argv[++i];
      bool known = false;
      for (int l = int(SimdLevel::kSse2); l <= int(cpu); ++l) {
        if (name == morvane::SimdLevelName(SimdLevel(l))) o.level = SimdLevel(l), known = true;
      }
      if (!known) return Usage(("this processor has no vector level " + name).c_str());
    } else if (arg == "--csv" && has_value) {
      csv_path = argv[++i];
    } else if (arg == "--sections" && has_value) {
      sections = argv[++i];
    } else if (arg == "--variant" && has_value) {
      o.variant = argv[++i];
    } else {
      return Usage(("unknown argument " + arg).c_str());
    }
  }
  if (!csv_path.empty()) {
    o.csv = std::fopen(csv_path.c_str(), "w");
    if (o.csv == nullptr) return Usage(("cannot write " + csv_path).c_str());
    morvane_bench::CsvHeader(o.csv);
  }

  o.processor = morvane_bench::DescribeProcessor();
  std::string sdl3 = "SDL3 not measured: ", why;
  if (const morvane_bench::SdlPeer* peer = morvane_bench::Sdl3(&why)) {
    sdl3 = "SDL3 " + peer->version();
  } else {
    sdl3 += why;
  }
  std::printf("## Morvane beside its peers%s\n\n",
              o.variant.empty() ? "" : (", " + o.variant).c_str());
  std::printf("- processor: %s\n", o.processor.c_str());
  std::printf("- vector walks: %s%s\n", morvane::SimdLevelName(o.level),
              o.level == cpu ? ""
                             : (std::string(" (capped; the processor offers ") +
                                morvane::SimdLevelName(cpu) + ")")
                                   .c_str());
  if (!o.variant.empty()) std::printf("- build: %s\n", o.variant.c_str());
  std::printf("- peers: pixman %s, SDL2 %s, %s\n", pixman_version_string(),
              morvane_bench::Sdl2().version().c_str(), sdl3.c_str());
  std::printf("- memory floor: %s loads and stores\n", morvane_bench::MemoryFloorKind());
  std::printf("- medians of %d samples taken in turns%s\n\n", o.Samples(),
              o.quick ? " (--quick)" : "");
  std::fflush(stdout);

  if (Listed(sections, "squares")) morvane_bench::RunSquares(o);
  std::fflush(stdout);
  if (Listed(sections, "sprites")) morvane_bench::RunSprites(o);
  std::fflush(stdout);
  if (Listed(sections, "layers")) morvane_bench::RunLayers(o);
  std::fflush(stdout);
  if (Listed(sections, "per-call")) morvane_bench::RunPerCall(o);
  std::fflush(stdout);
  if (Listed(sections, "clipblt")) morvane_bench::RunClipBlt(o);
  if (o.csv != nullptr) std::fclose(o.csv);
  return 0;
}
