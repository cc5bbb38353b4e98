// Symbols painted per second by one thread and by two, each thread with its own instance and
// surface, as a report server's pool paints. Rounds of the two alternate so that both see the same
// load on a shared machine; the medians and their ratio are printed.
//
// Usage: paint_threads_bench [seconds per round, default 0.5] [threads of the wider run, default 2]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "torvc_pdf417.h"

namespace {

using Clock = std::chrono::steady_clock;

// A label of typical size: 64 characters, 8 columns, modules 2 px, rows 6 px, painted at scale 1.
const char16_t kText[] = u"Invoice 2026-12-08, total EUR 1234.50; customer no. 0047110815. ";

// Paints until the deadline; returns the symbols painted.
long paintUntil(Clock::time_point deadline) {
  TorvPdf417Comp* instance = GetNewInstance();
  setAttr(instance, u"PDF417_COLNUM", u"8");
  setAttr(instance, u"PDF417_XSCALE", u"2");
  setAttr(instance, u"PDF417_YSCALE", u"5");
  std::vector<unsigned char> pixels(500 * 200 * 4);
  TorvDeviceContext dc{96, 96, 500, 200, 500 * 4, pixels.data()};
  long painted = 0;
  while (Clock::now() < deadline) {
    paint(instance, &dc, kText, 0, 0, 0, 0, 1.0f);
    ++painted;
  }
  DeleteInstance(instance);
  return painted;
}

// Symbols per second of one round on `threads` threads.
double round(int threads, double seconds) {
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline =
      start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  std::atomic<long> total{0};
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) pool.emplace_back([&] { total += paintUntil(deadline); });
  for (std::thread& t : pool) t.join();
  return static_cast<double>(total) / std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.5;
  const int wide = argc > 2 ? std::atoi(argv[2]) : 2;
  if (seconds <= 0 || wide < 2) {
    std::fprintf(stderr, "usage: %s [seconds per round] [threads, 2 or more]\n", argv[0]);
    return 2;
  }
  std::vector<double> one, many;
  for (int r = 0; r < 7; ++r) {
    one.push_back(round(1, seconds));
    many.push_back(round(wide, seconds));
  }
  std::sort(one.begin(), one.end());
  std::sort(many.begin(), many.end());
  const double ratio = many[3] / one[3];
  std::printf("paint, symbols per second (median of 7 alternating rounds of %.2f s; %u cores)\n", seconds,
              std::thread::hardware_concurrency());
  std::printf("1 thread:  %10.0f\n%d threads: %10.0f\nratio %.2fx; target 1.8x for 2 threads: %s\n", one[3], wide,
              many[3], ratio, ratio >= 1.8 ? "met" : "NOT met");
  return 0;
}
