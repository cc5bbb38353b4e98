// SPDX-License-Identifier: Apache-2.0
// The symbol: its codeword sequence, the codeword matrix with the row indicators, and the module
// rows that every writer draws.
#pragma once

#include <cstdint>

#include "pdf417/codeword_buffer.h"
#include "pdf417/symbol_patterns.h"

namespace torv::pdf417 {

constexpr unsigned kMaxRows = 90;
constexpr unsigned kMaxColumns = 30;

// Symbol width in modules for c data columns; a compact symbol has no right row indicator and a
// stop pattern of one module.
constexpr std::uint32_t symbolWidthModules(std::uint32_t columns, bool compact = false) {
  return compact ? 17 * columns + 35 : 17 * columns + 69;
}

// `count` modules left to right, the first in bit count-1; 1 = bar.
struct ModulePiece {
  std::uint32_t bits;
  unsigned count;
};

// One row of modules as pieces, left to right: the start pattern, one piece per codeword (the row
// indicators included), the stop pattern. Every writer (pixels, vectors) walks the same pieces.
class ModuleRow {
 public:
  ModuleRow(const std::uint16_t* codewords, unsigned codewordCount, unsigned row, bool compact = false)
      : codewords_(codewords),
        count_(codewordCount),
        patterns_(kSymbolPatterns[row % 3]),
        stop_(compact ? kCompactStopPattern : kStopPattern),
        stopModules_(compact ? kCompactStopModules : kStopModules) {}

  unsigned widthModules() const { return kStartModules + 17 * count_ + stopModules_; }

  // Calls visit(ModulePiece) for each piece in order.
  template <typename Visit>
  void forEachPiece(Visit&& visit) const {
    visit(ModulePiece{kStartPattern, kStartModules});
    for (unsigned i = 0; i < count_; ++i) visit(ModulePiece{0x10000u | patterns_[codewords_[i] % 929], 17});
    visit(ModulePiece{stop_, stopModules_});
  }

 private:
  const std::uint16_t* codewords_;
  unsigned count_;
  const std::uint16_t* patterns_;
  std::uint32_t stop_;
  unsigned stopModules_;
};

struct Symbol {
  std::uint16_t rows = 0;
  std::uint16_t columns = 0;
  std::uint16_t codewordsPerRow = 0;  // columns + 2 row indicators
  std::uint16_t eccLevel = 0;
  std::uint16_t padCount = 0;
  std::uint16_t dataCount = 0;  // length descriptor included, pads excluded
  std::uint16_t rowHeightNum = 3;
  std::uint16_t rowHeightDen = 1;
  bool compact = false;  // drawn without the right row indicator and with a one-bar stop pattern
  // rows x columns codewords: length descriptor, data, pads, check codewords.
  std::uint16_t sequence[kMaxSlots] = {};
  std::uint16_t matrix[kMaxRows * (kMaxColumns + 2)] = {};

  const std::uint16_t* row(unsigned r) const { return matrix + r * codewordsPerRow; }
  ModuleRow moduleRow(unsigned r) const {
    return ModuleRow(row(r), compact ? codewordsPerRow - 1u : codewordsPerRow, r, compact);
  }
};

// Fills symbol.matrix from sequence (rows x columns codewords) with the row indicators; rows,
// columns and eccLevel of the symbol must be set.
void buildRows(Symbol& symbol, const std::uint16_t* sequence);

}  // namespace torv::pdf417
