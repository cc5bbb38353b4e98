// SPDX-License-Identifier: Apache-2.0
// Symbols painted per second by one thread and by two, each thread with its own instance and
// surface, as a report server's pool paints. Rounds of the two alternate so that both see the same
// load on a shared machine; the medians and their ratio are printed, with the processor time per
// symbol of each: where that stays the same on two threads, they share nothing that slows them, and
// only a busy machine keeps the ratio under two.
//
// Usage: paint_threads_bench [seconds per round, default 0.5] [threads of the wider run, default 2]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

double processCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Round {
  double perSecond;  // symbols per second of wall time
  double cpuMicros;  // processor time per symbol
};

// One round on `threads` threads.
Round round(int threads, double seconds) {
  const double cpuStart = processCpuSeconds();
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline =
      start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  std::atomic<long> total{0};
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) pool.emplace_back([&] { total += paintUntil(deadline); });
  for (std::thread& t : pool) t.join();
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double symbols = static_cast<double>(total);
  return {symbols / wall, (processCpuSeconds() - cpuStart) * 1e6 / symbols};
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.5;
  const int wide = argc > 2 ? std::atoi(argv[2]) : 2;
  if (seconds <= 0 || wide < 2) {
    std::fprintf(stderr, "usage: %s [seconds per round] [threads, 2 or more]\n", argv[0]);
    return 2;
  }
  std::vector<double> one, many, oneCpu, manyCpu;
  for (int r = 0; r < 7; ++r) {
    const Round a = round(1, seconds);
    const Round b = round(wide, seconds);
    one.push_back(a.perSecond);
    oneCpu.push_back(a.cpuMicros);
    many.push_back(b.perSecond);
    manyCpu.push_back(b.cpuMicros);
  }
  const double ratio = median(many) / median(one);
  std::printf("paint, symbols per second (median of 7 alternating rounds of %.2f s; %u cores)\n", seconds,
              std::thread::hardware_concurrency());
  std::printf("1 thread:  %10.0f   (%.2f us processor time per symbol)\n", median(one), median(oneCpu));
  std::printf("%d threads: %10.0f   (%.2f us processor time per symbol)\n", wide, median(many), median(manyCpu));
  std::printf("ratio %.2fx; target 1.8x for 2 threads: %s\n", ratio, ratio >= 1.8 ? "met" : "NOT met");
  return 0;
}
