// SPDX-License-Identifier: Apache-2.0
// Side-by-side timing on a loaded machine: processor time of this thread, calls per round sized to
// the seconds asked for, and the medians of seven rounds that alternate between the two sides, so
// that both see the same load.
#pragma once

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <functional>
#include <utility>
#include <vector>

namespace torv::bench {

inline double cpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

inline long callsPerRound(const std::function<void()>& work, double seconds) {
  for (long calls = 1;; calls *= 4) {
    const double t0 = cpuSeconds();
    for (long i = 0; i < calls; ++i) work();
    const double s = cpuSeconds() - t0;
    if (s >= seconds / 10 || calls > (1L << 30))
      return std::max(1L, static_cast<long>(calls * seconds / std::max(s, 1e-9)));
  }
}

inline double roundMicros(const std::function<void()>& work, long calls) {
  const double t0 = cpuSeconds();
  for (long i = 0; i < calls; ++i) work();
  return (cpuSeconds() - t0) * 1e6 / static_cast<double>(calls);
}

// Medians of seven alternating rounds of each, in microseconds per call.
inline std::pair<double, double> timeAlternating(const std::function<void()>& first,
                                                 const std::function<void()>& second, double seconds) {
  const long firstCalls = callsPerRound(first, seconds), secondCalls = callsPerRound(second, seconds);
  std::vector<double> a, b;
  for (int r = 0; r < 7; ++r) {
    a.push_back(roundMicros(first, firstCalls));
    b.push_back(roundMicros(second, secondCalls));
  }
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return {a[3], b[3]};
}

}  // namespace torv::bench
