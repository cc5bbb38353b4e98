// SPDX-License-Identifier: Apache-2.0
// micro_macro_sweep [sets] [seed]: Macro MicroPDF417 sets of random widths, sizes and data. Per set:
// the pieces cover the file in order, and the set has no more symbols than filling each in turn with
// the most bytes from where the last one ended gives (it may have fewer: a symbol can hold n + 2
// bytes where it does not hold n + 1). Per segment: zint's structured-append symbol of the same bytes,
// index, count and ID ends its data in the same control block as ours, and is ours module for module
// where zint compacts the bytes as we do. Prints the counts and how evenly the symbols are filled;
// exits 1 on any fault.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "micro_inputs.h"
#include "pdf417/micro_macro.h"
#include "zint_micro.h"

using namespace torv::pdf417;
using namespace torv::pdf417::micro_check;

namespace {

// Symbols that filling each in turn with the most bytes it holds takes.
std::size_t greedyCount(const MicroEncoder& sized, const std::string& data, const MicroMacroSet& set) {
  std::size_t pos = 0, count = 0;
  MicroEncoder e = sized;
  for (;;) {
    ++count;
    MicroMacro last = set.block(0);
    last.segmentIndex = static_cast<std::uint32_t>(count - 1);
    last.last = true;
    e.setMacro(last);
    if (e.encode(data.data() + pos, static_cast<std::uint32_t>(data.size() - pos)) == 1) return count;
    MicroMacro block = last;
    block.last = false;
    e.setMacro(block);
    std::size_t n = 0;
    while (pos + n < data.size() && e.encode(data.data() + pos, static_cast<std::uint32_t>(n + 1)) == 1) ++n;
    if (n == 0) return 0;
    pos += n;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int sets = argc > 1 ? std::atoi(argv[1]) : 200;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 29u;
  std::mt19937 rng(seed);
  long segments = 0, zintCompared = 0, zintSameBlock = 0, zintSameCodewords = 0, zintIdentical = 0, faults = 0;
  long symbols = 0, greedySymbols = 0, spreadSum = 0, spreadMax = 0;
  double seconds = 0;
  for (int s = 0; s < sets; ++s) {
    std::string data;
    const std::size_t want = 50 + rng() % 2500;
    while (data.size() < want) data += randomMicroInput(rng);
    const int columns = 1 + static_cast<int>(rng() % 4);
    int rows = 0;
    if (rng() % 2 != 0) {
      std::vector<int> choices;
      for (const MicroSize& size : kMicroSizes) {
        if (size.columns == columns && size.dataCapacity() >= 20) choices.push_back(size.rows);
      }
      rows = choices[rng() % choices.size()];
    }
    MicroEncoder encoder;
    encoder.setSize(columns, rows);
    MicroMacroSet set;
    const auto start = std::chrono::steady_clock::now();
    const int rc = set.split(encoder, data.data(), static_cast<std::uint32_t>(data.size()), MicroMacroFile{});
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (rc != 0) {
      std::printf("set %d (%dx%d, %zu bytes): split refused (%d)\n", s, columns, rows, data.size(), rc);
      ++faults;
      continue;
    }
    const std::size_t greedy = greedyCount(encoder, data, set);
    symbols += static_cast<long>(set.size());
    greedySymbols += static_cast<long>(greedy);
    if (set.size() > greedy) {
      std::printf("set %d (%dx%d): %zu symbols, filling each in turn takes %zu\n", s, columns, rows, set.size(),
                  greedy);
      ++faults;
    }
    std::uint32_t next = 0;
    std::size_t fewest = 999, most = 0;
    for (std::size_t i = 0; i < set.size(); ++i) {
      ++segments;
      const MacroPiece& piece = set.piece(i);
      if (piece.offset != next || set.encode(encoder, i) != 1) {
        std::printf("set %d segment %zu: out of order or does not encode\n", s, i);
        ++faults;
        break;
      }
      next += piece.length;
      const std::vector<std::uint16_t> ours = encoder.codewords();
      if (i + 1 < set.size()) {
        fewest = std::min(fewest, ours.size());
        most = std::max(most, ours.size());
      }
      if (set.size() < 2 || rows != 0) continue;  // zint makes sets of two or more, its own rows
      ZintRequest request;
      request.columns = columns;
      request.segmentIndex = static_cast<int>(i) + 1;
      request.segmentCount = static_cast<int>(set.size());
      for (std::uint16_t id : set.block(i).fileId) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03u", static_cast<unsigned>(id));
        request.fileId += digits;
      }
      const Modules z = zintModules(data.substr(piece.offset, piece.length), request);
      const int size = sizeOf(z);
      std::vector<std::uint16_t> theirs;
      if (z.rows == 0 || size < 0 || !readCodewords(z, size, theirs)) continue;  // zint's compaction needs more room
      ++zintCompared;
      theirs = dataWithoutPads(theirs, size);
      std::vector<std::uint16_t> block;
      appendMicroMacroBlock(set.block(i), block);
      if (theirs.size() >= block.size() && std::equal(block.begin(), block.end(), theirs.end() - block.size())) {
        ++zintSameBlock;
      } else {
        std::printf("set %d segment %zu: zint's control block differs\n", s, i);
        ++faults;
      }
      std::vector<std::uint16_t> mine = ours;
      if (mine == std::vector<std::uint16_t>(theirs.begin(), theirs.end())) {
        ++zintSameCodewords;
        if (ourModules(encoder.symbol()) == z) {
          ++zintIdentical;
        } else {
          std::printf("set %d segment %zu: same codewords as zint, other modules\n", s, i);
          ++faults;
        }
      }
    }
    if (next != data.size()) {
      std::printf("set %d: the pieces end at %u of %zu bytes\n", s, next, data.size());
      ++faults;
    }
    if (most > 0) {
      spreadSum += static_cast<long>(most - fewest);
      spreadMax = std::max(spreadMax, static_cast<long>(most - fewest));
    }
  }
  std::printf("%d sets, %ld symbols (filling each in turn: %ld); %ld segments\n", sets, symbols, greedySymbols,
              segments);
  std::printf("codewords of the symbols before the last: spread %.2f on average, %ld at most\n",
              sets > 0 ? static_cast<double>(spreadSum) / sets : 0.0, spreadMax);
  std::printf(
      "zint: %ld segments compared, %ld with our control block, %ld with our codewords, %ld of them module "
      "for module\n",
      zintCompared, zintSameBlock, zintSameCodewords, zintIdentical);
  std::printf("split: %.3f ms per set on average\n", sets > 0 ? 1000.0 * seconds / sets : 0.0);
  std::printf("%ld faults\n", faults);
  return faults == 0 ? 0 : 1;
}
