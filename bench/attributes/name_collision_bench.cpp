// SPDX-License-Identifier: Apache-2.0
// Cost of filling an attribute list with names that a hostile server crafted to share one slot of
// a 2^15-slot index, against as many random names, under the key the names were crafted for (a
// server that knows the key) and under a random key (what every process draws).
//
// Usage: name_collision_bench [names]   (default 20000)
// Prints the processor time per put for each case and exits 1 when, under the random key, the crafted names
// cost more than twice the random ones.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "attributes/CJTorvAttributeList.h"
#include "attributes/NameIndex.h"

using torv::attributes::NameHashKey;
using torv::attributes::NameIndex;

namespace {

constexpr std::uint32_t kSlotMask = (1u << 15) - 1;
constexpr NameHashKey kKnownKey{0x0123456789abcdefULL, 0xfedcba9876543210ULL};

// Short names "c" + a base-36 counter, kept when their slot under key is slot 0.
std::vector<std::string> craftedNames(std::size_t count, const NameHashKey& key) {
  std::vector<std::string> names;
  std::string name;
  for (std::uint64_t counter = 0; names.size() < count; ++counter) {
    name.assign(1, 'c');
    for (std::uint64_t n = counter; n != 0; n /= 36) name.push_back("0123456789abcdefghijklmnopqrstuvwxyz"[n % 36]);
    if ((NameIndex::keyedHash(name, key) & kSlotMask) == 0) names.push_back(name);
  }
  return names;
}

std::vector<std::string> randomNames(std::size_t count, const std::vector<std::string>& like) {
  std::mt19937_64 random(42);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < count; ++i) {
    std::string name(like[i].size(), 'r');
    for (std::size_t j = 1; j < name.size(); ++j) name[j] = static_cast<char>('a' + random() % 26);
    name += std::to_string(i);  // unique
    names.push_back(name);
  }
  return names;
}

// Processor time of this process, so that a busy machine does not inflate the figures.
double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Best of a few runs: processor seconds per put of every name into a fresh list.
double secondsPerPut(const std::vector<std::string>& names) {
  double best = 1e9;
  for (int run = 0; run < 5; ++run) {
    const double start = cpuSeconds();
    {
      CJTorvAttributeList list;
      for (const std::string& name : names) list.put(name, "v");
      if (list.size() != static_cast<int>(names.size())) std::abort();
    }
    best = std::min(best, (cpuSeconds() - start) / static_cast<double>(names.size()));
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 20000;
  if (count == 0) return 2;
  // The key this process drew from the system's random source.
  const NameHashKey randomKey = NameIndex::fixKey(kKnownKey);

  const double searchStart = cpuSeconds();
  const std::vector<std::string> crafted = craftedNames(count, kKnownKey);
  const double search = cpuSeconds() - searchStart;
  const std::vector<std::string> random = randomNames(count, crafted);
  std::printf("%zu names sharing slot 0 of 2^15 under the known key (search %.1f s)\n", count, search);

  struct Case {
    const char* key;
    NameHashKey value;
  } cases[] = {{"known key (fixed)", kKnownKey}, {"random key", randomKey}};
  double ratio = 0;
  std::printf("%-20s %16s %16s %8s\n", "key", "crafted ns/put", "random ns/put", "ratio");
  for (const Case& c : cases) {
    NameIndex::fixKey(c.value);
    const double craftedCost = secondsPerPut(crafted);
    const double randomCost = secondsPerPut(random);
    ratio = craftedCost / randomCost;
    std::printf("%-20s %16.1f %16.1f %8.2f\n", c.key, craftedCost * 1e9, randomCost * 1e9, ratio);
  }
  if (ratio > 2.0) {
    std::printf("crafted names cost more than twice the random ones under a random key\n");
    return 1;
  }
  return 0;
}
