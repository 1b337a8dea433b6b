// The library's first call in a process, made by eight threads at once: the processor probe that
// picks the vector walks runs then, on whichever threads arrive, and must leave every blit exact.
// The test command also runs this program built with ThreadSanitizer, which reports any race.
#include <atomic>
#include <cstdio>
#include <deque>
#include <random>
#include <thread>
#include <vector>

#include "host/host_bitmap.h"
#include "reference.h"

using morvane_test::HostBitmap;

int main() {
  constexpr int kThreads = 8;
  std::deque<HostBitmap> dst, want, src;  // a deque never moves what it holds
  for (int t = 0; t < kThreads; ++t) {
    std::mt19937 a(t), b(t), c(t + 100);
    dst.emplace_back(67, 5);
    want.emplace_back(67, 5);
    src.emplace_back(67, 5);
    dst.back().FillRandomRuns(a);
    want.back().FillRandomRuns(b);
    src.back().FillRandomRuns(c);
  }
  std::atomic<int> waiting{kThreads};
  std::vector<std::thread> threads;
  std::vector<int32_t> results(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      waiting.fetch_sub(1);
      while (waiting.load() > 0) {
      }
      results[size_t(t)] = BlendBlt(dst[size_t(t)].desc(), 0, 0, 67, 5, src[size_t(t)].desc(), 0, 0,
                                    uint32_t(t % 5));
    });
  }
  for (std::thread& t : threads) t.join();
  int bad = 0;
  for (int t = 0; t < kThreads; ++t) {
    const size_t i = size_t(t);
    morvane_test::RefBlit(morvane_test::Family::kBlend, want[i], 0, 0, 67, 5, src[i], 0, 0,
                          uint32_t(t % 5));
    if (results[i] != BLT_DONE || dst[i].Snapshot() != want[i].Snapshot()) {
      std::printf("thread %d: result %d, pixels %s the model's\n", t, results[i],
                  dst[i].Snapshot() == want[i].Snapshot() ? "equal to" : "differ from");
      ++bad;
    }
  }
  std::printf("first calls on %d threads at once: %s\n", kThreads, bad ? "FAILED" : "exact");
  return bad ? 1 : 0;
}
