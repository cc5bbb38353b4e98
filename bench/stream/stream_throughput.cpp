// SPDX-License-Identifier: Apache-2.0
// Data-stream throughput over byte-array streams: writeInt/readInt, the String form and
// modified UTF-8 of 1 KiB texts, in MB of wire bytes per second (best of several rounds).
// When built with a JDK, the same work in java.io runs in the same invocation and its
// figures are printed beside ours.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "stream/streams.h"

namespace {

constexpr int kInts = 1 << 22;
constexpr int kTexts = 4096;
constexpr int kRounds = 7;

double bestSeconds(const std::function<void()>& work) {
  double best = 1e30;
  for (int r = 0; r < kRounds; ++r) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - t0;
    best = std::min(best, spent.count());
  }
  return best;
}

// The same 1024 characters as the Java half, in Windows-1252.
std::string text() {
  const std::string words = "Attribute value caf\xE9 na\xEFve \x80 42 ";
  std::string t;
  while (t.size() < 1024) t.push_back(words[t.size() % words.size()]);
  return t;
}

struct Figures {
  double write = 0;
  double read = 0;
};

volatile long long sink = 0;

// put and get are templates so that the per-value call inlines, as the loop bodies of the
// Java half do.
// As in the Java half, one byte-array stream (of the given initial capacity) is reset and
// reused by every round, and a new data stream wraps it each time.
template <typename Put, typename Get>
Figures measure(int count, int initialCapacity, Put put, Get get, long long* wireBytes) {
  std::string wire;
  Figures f;
  CJByteArrayOutputStream bytes(initialCapacity, 1);
  const double w = bestSeconds([&] {
    bytes.reset();
    CJDataOutputStream out(&bytes, 0);
    for (int i = 0; i < count; ++i) put(out, i);
  });
  wire = bytes.toString();
  const double r = bestSeconds([&] {
    CJByteArrayInputStream bytes(&wire[0], static_cast<int>(wire.size()), 0);
    CJDataInputStream in(&bytes, 0);
    for (int i = 0; i < count; ++i) get(in);
  });
  *wireBytes = static_cast<long long>(wire.size());
  f.write = wire.size() / 1e6 / w;
  f.read = wire.size() / 1e6 / r;
  return f;
}

std::map<std::string, Figures> runJava() {
  std::map<std::string, Figures> result;
#ifdef TORV_JAVA
  const std::string command = std::string("'") + TORV_JAVA + "' -cp '" + TORV_JAVA_BENCH_DIR + "' DataBench";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char name[64];
  double w = 0, r = 0;
  while (std::fscanf(pipe, "%63s %lf %lf", name, &w, &r) == 3) result[name] = Figures{w, r};
  pclose(pipe);
#endif
  return result;
}

}  // namespace

int main() {
  const std::string t = text();
  std::pair<std::string, Figures> ours[3];
  long long wire[3];
  ours[0] = {"int", measure(
                        kInts, 4 * kInts, [](CJDataOutputStream& out, int i) { out.writeInt(i * 31); },
                        [](CJDataInputStream& in) { sink = sink + in.readInt(); }, &wire[0])};
  ours[1] = {
      "string-1KiB",
      measure(
          kTexts, CJByteArrayOutputStream::kDefaultCapacity, [&](CJDataOutputStream& out, int) { out.writeString(t); },
          [](CJDataInputStream& in) { sink = sink + static_cast<long long>(in.readString().size()); }, &wire[1])};
  ours[2] = {
      "utf-1KiB",
      measure(
          kTexts, CJByteArrayOutputStream::kDefaultCapacity, [&](CJDataOutputStream& out, int) { out.writeUTF(t); },
          [](CJDataInputStream& in) { sink = sink + static_cast<long long>(in.readUTF().size()); }, &wire[2])};
  const std::map<std::string, Figures> java = runJava();

  std::printf("data-stream throughput over byte-array streams, MB/s of wire bytes (best of %d)\n", kRounds);
  std::printf("%-12s %10s | %10s %10s | %10s %10s\n", "workload", "wire bytes", "ours write", "ours read", "java write",
              "java read");
  for (int k = 0; k < 3; ++k) {
    const auto it = java.find(ours[k].first);
    char jw[16] = "n/a", jr[16] = "n/a";
    if (it != java.end()) {
      std::snprintf(jw, sizeof jw, "%.1f", it->second.write);
      std::snprintf(jr, sizeof jr, "%.1f", it->second.read);
    }
    std::printf("%-12s %10lld | %10.1f %10.1f | %10s %10s\n", ours[k].first.c_str(), wire[k], ours[k].second.write,
                ours[k].second.read, jw, jr);
  }
  return 0;
}
