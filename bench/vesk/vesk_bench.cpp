// SPDX-License-Identifier: Apache-2.0
// Attribute exchange through the exported functions over an in-memory connection, and name
// look-ups in attribute lists of growing size. After the Google Benchmark runs, the
// 100,000-entry receive-and-hand-back is timed once more beside the same job in java.io
// (DataInputStream, LinkedHashMap, DataOutputStream) when built with a JDK.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "attributes/CJTorvAttributeList.h"
#include "torv_vesk_client.h"

namespace {

// The connection: one buffer to read from, one to write to. Plain functions, no bookkeeping,
// so that the figures are the library's.
struct Memory {
  std::string input;
  std::size_t position = 0;
  std::string output;
} connection;

int readByte(int, unsigned char* byte, int* count) {
  if (connection.position >= connection.input.size()) return -1;
  *byte = static_cast<unsigned char>(connection.input[connection.position++]);
  *count = 1;
  return 0;
}
int readBArray(int, char* destination, int length, int* count) {
  const std::size_t left = connection.input.size() - connection.position;
  if (left == 0) {
    *count = -1;
    return 0;
  }
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length), left);
  std::memcpy(destination, connection.input.data() + connection.position, n);
  connection.position += n;
  *count = static_cast<int>(n);
  return 0;
}
int available(int, int* n) {
  *n = static_cast<int>(connection.input.size() - connection.position);
  return 0;
}
int readClose(int, int) { return 0; }
int writeByte(int, int value) {
  connection.output.push_back(static_cast<char>(value));
  return 0;
}
int writeBArray(int, const char* source, int length) {
  connection.output.append(source, static_cast<std::size_t>(length));
  return 0;
}
int flush(int) { return 0; }
int writeClose(int) { return 0; }
const char* errorMessage(int) { return "connection ended"; }

void appendInt(std::string& out, unsigned v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
}
void appendText(std::string& out, const std::string& text) {
  appendInt(out, static_cast<unsigned>(text.size()));
  for (char c : text) {
    out.push_back('\0');
    out.push_back(c);
  }
}
std::string name(int i) { return "attribute." + std::to_string(1000000 + i); }

std::string wireListOf(int entries) {
  std::string bytes;
  appendInt(bytes, static_cast<unsigned>(entries));
  for (int i = 0; i < entries; ++i) {
    appendText(bytes, name(i));
    appendText(bytes, "value " + std::to_string(i));
  }
  return bytes;
}

TorvVeskClientHandle newHandle() {
  const std::string empty(4, '\0');
  TorvVeskClientHandle handle = nullptr;
  TorvVeskClient_create(empty.data(), 4, 1, readByte, readBArray, available, readClose, writeByte, writeBArray, flush,
                        writeClose, errorMessage, &handle);
  return handle;
}

// Receives a list of range(0) entries and hands it back to the host.
void ReceiveAndHandBack(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  connection.input = wireListOf(entries);
  for (auto _ : state) {
    connection.position = 0;
    TorvVeskClientHandle handle = newHandle();
    char* bytes = nullptr;
    int count = 0;
    if (TorvVeskClient_createSecureInputStream(handle, &bytes, &count) != 0 ||
        static_cast<std::size_t>(count) != connection.input.size()) {
      state.SkipWithError("negotiation failed");
      break;
    }
    TorvVeskClient_free_memory(bytes);
    TorvVeskClient_destroy(handle);
  }
  state.SetItemsProcessed(state.iterations() * entries);
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(connection.input.size()));
}
BENCHMARK(ReceiveAndHandBack)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Sends a list of range(0) entries given as bytes.
void Send(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const std::string list = wireListOf(entries);
  connection.output.reserve(list.size());
  for (auto _ : state) {
    connection.output.clear();
    TorvVeskClientHandle handle = newHandle();
    if (TorvVeskClient_createSecureOutputStream(handle, list.data(), static_cast<int>(list.size())) != 0 ||
        connection.output.size() != list.size()) {
      state.SkipWithError("negotiation failed");
      break;
    }
    TorvVeskClient_destroy(handle);
  }
  state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(Send)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Look-ups by name in a list of range(0) entries: the time per look-up should not grow.
void LookUpByName(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  CJTorvAttributeList list;
  for (int i = 0; i < entries; ++i) list.put(name(i), "v");
  std::vector<std::string> probes;
  std::mt19937 random(1);
  for (int i = 0; i < 4096; ++i) probes.push_back(name(static_cast<int>(random() % static_cast<unsigned>(entries))));
  std::size_t next = 0;
  std::string value;
  for (auto _ : state) {
    benchmark::DoNotOptimize(list.find(probes[next], value));
    next = (next + 1) & 4095;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(LookUpByName)->RangeMultiplier(10)->Range(1000, 1000000);

// Replacing values by name (put of an existing name) in a list of range(0) entries.
void ReplaceByName(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  CJTorvAttributeList list;
  for (int i = 0; i < entries; ++i) list.put(name(i), "v");
  std::vector<std::string> probes;
  std::mt19937 random(2);
  for (int i = 0; i < 4096; ++i) probes.push_back(name(static_cast<int>(random() % static_cast<unsigned>(entries))));
  std::size_t next = 0;
  for (auto _ : state) {
    list.put(probes[next], "w");
    next = (next + 1) & 4095;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ReplaceByName)->RangeMultiplier(10)->Range(1000, 1000000);

constexpr int kCompareEntries = 100000;
constexpr int kCompareRounds = 7;

// Best of several wall-clock rounds of the whole job, as the Java half measures it.
double oursMillis(int entries) {
  connection.input = wireListOf(entries);
  double best = 1e30;
  for (int r = 0; r < kCompareRounds; ++r) {
    const auto t0 = std::chrono::steady_clock::now();
    connection.position = 0;
    TorvVeskClientHandle handle = newHandle();
    char* bytes = nullptr;
    int count = 0;
    const int result = TorvVeskClient_createSecureInputStream(handle, &bytes, &count);
    const bool same = result == 0 && static_cast<std::size_t>(count) == connection.input.size() &&
                      std::memcmp(bytes, connection.input.data(), connection.input.size()) == 0;
    TorvVeskClient_free_memory(bytes);
    TorvVeskClient_destroy(handle);
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - t0;
    if (!same) return -1;
    best = std::min(best, spent.count());
  }
  return best;
}

double javaMillis(int entries) {
  double millis = -1;
#ifdef TORV_JAVA
  const std::string command =
      std::string("'") + TORV_JAVA + "' -cp '" + TORV_JAVA_BENCH_DIR + "' ListBench " + std::to_string(entries);
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return millis;
  char name[64];
  if (std::fscanf(pipe, "%63s %lf", name, &millis) != 2) millis = -1;
  pclose(pipe);
#endif
  (void)entries;
  return millis;
}

void compareWithJava() {
  const double ours = oursMillis(kCompareEntries);
  const double java = javaMillis(kCompareEntries);
  std::printf("\nreceive and hand back %d entries, ms (best of %d)\n", kCompareEntries, kCompareRounds);
  std::printf("%10s %10s %18s\n", "ours", "java", "java / ours");
  if (java > 0 && ours > 0) {
    std::printf("%10.2f %10.2f %17.2fx\n", ours, java, java / ours);
  } else {
    std::printf("%10.2f %10s %18s\n", ours, "n/a", "n/a");
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  compareWithJava();
  return 0;
}
