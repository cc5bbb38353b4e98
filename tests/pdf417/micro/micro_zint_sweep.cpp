// SPDX-License-Identifier: Apache-2.0
// micro_zint_sweep [inputs] [seed]: MicroPDF417 against zint on random inputs at every column
// count. For each input and width: zint's symbol read back into codewords, ours laid out from the
// same codewords in the same size, module for module; and our own encoding of the same bytes
// against zint's, by the segment rules and by the fewest-codeword search. Prints the counts per
// size and overall; exits 1 on any module difference for the same codewords, or when the fewest
// search takes more data codewords than zint on any input.
#include <cstdio>
#include <cstdlib>
#include <random>

#include "micro_inputs.h"
#include "zint_micro.h"

using namespace torv::pdf417;
using namespace torv::pdf417::micro_check;

int main(int argc, char** argv) {
  const int inputs = argc > 1 ? std::atoi(argv[1]) : 1000;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 29u;
  std::mt19937 rng(seed);
  int perSize[kMicroSizeCount] = {};
  long compared = 0, identicalSameCodewords = 0, sameInput = 0, sameCodewordsAsZint = 0, sameSize = 0;
  long zintRefused = 0, oursRefused = 0, fewer = 0, more = 0;
  // The fewest-codeword search beside zint and the rules, on the symbols both of those made.
  long fewestCompared = 0, fewestFewer = 0, fewestMore = 0, fewestRefused = 0, fewestMoreThanRules = 0;
  long fewestTotal = 0, zintTotal = 0, rulesTotal = 0;
  for (int i = 0; i < inputs; ++i) {
    const std::string data = randomMicroInput(rng);
    for (int columns = 1; columns <= 4; ++columns) {
      ZintRequest request;
      request.columns = columns;
      const Modules z = zintModules(data, request);
      MicroEncoder ours;
      ours.setSize(columns, 0);
      const bool oursOk = ours.encode(data.data(), static_cast<std::uint32_t>(data.size())) == 1;
      if (z.rows == 0) {
        ++zintRefused;
        continue;
      }
      const int size = sizeOf(z);
      std::vector<std::uint16_t> sequence;
      if (size < 0 || !readCodewords(z, size, sequence)) {
        std::printf("input %d, %d columns: zint's symbol does not read back\n", i, columns);
        return 1;
      }
      ++compared;
      ++perSize[size];
      if (ourModulesFor(sequence, size) == z) {
        ++identicalSameCodewords;
      } else {
        std::printf("input %d, %d columns, size %d: modules differ for the same codewords\n", i, columns, size);
      }
      const std::vector<std::uint16_t> zintData = dataWithoutPads(sequence, size);
      MicroEncoder fewest;
      fewest.setSize(columns, 0);
      fewest.setCompaction(Compaction::Fewest);
      if (fewest.encode(data.data(), static_cast<std::uint32_t>(data.size())) != 1) {
        ++fewestRefused;
        std::printf("input %d, %d columns: the fewest search found no room where zint did\n", i, columns);
      } else {
        const std::size_t n = fewest.codewords().size();
        if (n < zintData.size()) ++fewestFewer;
        if (n > zintData.size()) {
          ++fewestMore;
          std::printf("input %d, %d columns: fewest %zu > zint %zu\n", i, columns, n, zintData.size());
        }
        if (oursOk) {
          ++fewestCompared;
          fewestTotal += static_cast<long>(n);
          zintTotal += static_cast<long>(zintData.size());
          rulesTotal += static_cast<long>(ours.codewords().size());
          if (n > ours.codewords().size()) ++fewestMoreThanRules;
        }
      }
      if (!oursOk) {
        ++oursRefused;
        continue;
      }
      if (ours.codewords() == zintData) ++sameCodewordsAsZint;
      if (ours.codewords().size() < zintData.size()) ++fewer;
      if (ours.codewords().size() > zintData.size()) ++more;
      if (ours.symbol().sizeIndex == size) ++sameSize;
      if (ourModules(ours.symbol()) == z) ++sameInput;
    }
  }
  std::printf("MicroPDF417 against zint %s: %d inputs x 4 widths, seed %u\n",
              ZBarcode_Version() >= 21100 ? ">= 2.11" : "", inputs, seed);
  std::printf("symbols compared: %ld (zint refused %ld: data too long for the width)\n", compared, zintRefused);
  std::printf("same codewords, identical modules: %ld of %ld\n", identicalSameCodewords, compared);
  std::printf(
      "our own encoding of the same bytes: identical symbol %ld, identical data codewords %ld, "
      "same size %ld, fewer codewords %ld, more %ld, refused by us %ld\n",
      sameInput, sameCodewordsAsZint, sameSize, fewer, more, oursRefused);
  std::printf(
      "fewest-codeword search: fewer data codewords than zint %ld, more %ld, no room %ld; on the %ld both "
      "encodings made: fewest %ld, zint %ld, rules %ld data codewords, more than the rules %ld\n",
      fewestFewer, fewestMore, fewestRefused, fewestCompared, fewestTotal, zintTotal, rulesTotal, fewestMoreThanRules);
  std::printf("symbols per size (columns x rows):\n");
  int missing = 0;
  for (unsigned s = 0; s < kMicroSizeCount; ++s) {
    std::printf("  %ux%-2u %6d%s", kMicroSizes[s].columns, kMicroSizes[s].rows, perSize[s], s % 6 == 5 ? "\n" : "");
    if (perSize[s] == 0) ++missing;
  }
  std::printf("\nsizes not reached: %d\n", missing);
  return identicalSameCodewords == compared && missing == 0 && fewestMore == 0 && fewestRefused == 0 &&
                 fewestMoreThanRules == 0
             ? 0
             : 1;
}
