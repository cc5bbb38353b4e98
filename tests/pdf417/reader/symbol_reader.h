// SPDX-License-Identifier: Apache-2.0
// An independent PDF417 symbol reader for tests: it takes a clean, axis-aligned image of a symbol,
// splits it into modules and rows, looks every 17-module pattern up in the table of the row's cluster
// and checks what a conforming symbol must satisfy (row indicators, length descriptor, Reed-Solomon).
//
// The pattern tables come from the published data file, parsed at run time, so they do not share
// anything with the encoder's compiled table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace torv::test {

class PatternTables {
 public:
  // Parses the three cluster lines (clusters 0, 3, 6) of 929 hexadecimal values each; '#' lines are
  // comments. Every entry must be a valid symbol character of its cluster (4 bars and 4 spaces of
  // 1..6 modules, 17 modules, cluster number from the bar widths) and all 2787 must differ.
  bool load(const std::string& path, std::string& error);

  // Stored 16-bit entry (modules 2..17) of `codeword` in cluster index 0, 1 or 2 (clusters 0, 3, 6).
  std::uint16_t entry(int clusterIndex, int codeword) const { return entries_[clusterIndex][codeword]; }

  // Codeword whose 17-module pattern (module 1 in bit 16) is `pattern` in the cluster, or -1.
  int lookup(int clusterIndex, std::uint32_t pattern) const;

  // The cluster index (0, 1, 2) a pattern belongs to anywhere in the tables, or -1.
  int clusterOf(std::uint32_t pattern) const;

 private:
  std::array<std::array<std::uint16_t, 929>, 3> entries_{};
  std::array<std::unordered_map<std::uint32_t, int>, 3> byPattern_;
};

// Element widths of a 17-module pattern (module 1 in bit 16), bar first; false unless it is 8 elements.
bool elementWidths(std::uint32_t pattern, std::array<int, 8>& widths);

// One symbol read back into codewords.
struct SymbolRead {
  int rows = 0;
  int columns = 0;                       // data columns
  std::vector<std::vector<int>> matrix;  // rows x (columns + 2): left indicator, data, right indicator
  std::vector<int> sequence;             // the rows x columns data-region codewords, row by row
  // From the row indicators, once checkSymbol succeeded:
  int eccLevel = -1;
};

// Splits a top-down image into modules of `modulePx` pixels and rows of `rowPx` pixels (`dark(x, y)`
// tells a bar pixel) and reads every row: start pattern, left indicator, data, right indicator, stop
// pattern, each symbol character looked up in the cluster of its row (row r: cluster (r mod 3) * 3).
// With `strict`, every pixel of a module block must agree (a crisp rendering); otherwise the centre
// pixel decides.
struct PixelGrid {
  int width = 0;
  int height = 0;
  const std::uint8_t* gray = nullptr;  // 0 = black, 255 = white, width bytes per row
  bool dark(int x, int y) const { return gray[static_cast<std::size_t>(y) * width + x] < 128; }
};
bool readSymbol(const PixelGrid& image, int modulePx, int rowPx, const PatternTables& tables, bool strict,
                SymbolRead& out, std::string& error);

// Checks a read symbol: consistent row indicators that give back its rows, columns and a level 0..8,
// the length descriptor (first codeword) equal to rows x columns minus the check codewords, and all
// Reed-Solomon syndromes zero over GF(929) at 3^1 .. 3^k. Sets out.eccLevel.
bool checkSymbol(SymbolRead& symbol, std::string& error);

// The syndromes of a codeword sequence (first codeword highest order) at 3^1 .. 3^k.
std::vector<int> syndromes(const std::vector<int>& sequence, int k);

}  // namespace torv::test
