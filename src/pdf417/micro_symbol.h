// SPDX-License-Identifier: Apache-2.0
// MicroPDF417 (ISO/IEC 24728): its 34 sizes, row address patterns, and the symbol with the
// module rows that the writers draw. A row is: left row address pattern, the row's codewords
// (with the centre pattern among them at 3 and 4 columns), right row address pattern, and a
// one-module stop bar.
#pragma once

#include <cstdint>

#include "pdf417/symbol.h"
#include "pdf417/symbol_patterns.h"

namespace torv::pdf417 {

constexpr unsigned kMicroSizeCount = 34;
constexpr unsigned kMicroMaxColumns = 4;
constexpr unsigned kMicroMaxRows = 44;
constexpr unsigned kMicroMaxSlots = 4 * 44;
constexpr unsigned kMicroMaxData = 4 * 44 - 50;  // the largest size's data codewords
constexpr unsigned kMicroRapCount = 52;          // row addresses 1..52, then 1 again
constexpr unsigned kRapModules = 10;

// One of the 34 sizes. The row address patterns and the cluster are those of the top row; each
// row below takes the next address (52 wraps to 1) and the next cluster (0, 3, 6, 0, ...).
struct MicroSize {
  std::uint8_t columns;
  std::uint8_t rows;
  std::uint8_t checkCount;  // error-correction codewords, fixed per size
  std::uint8_t leftRap;     // 1..52
  std::uint8_t centreRap;   // 1..52; 0 at 1 and 2 columns, which have none
  std::uint8_t rightRap;    // 1..52
  std::uint8_t cluster;     // 0, 3 or 6

  unsigned slots() const { return unsigned{columns} * rows; }
  unsigned dataCapacity() const { return slots() - checkCount; }
  // Width in modules: the codewords, two or three row address patterns and the stop bar.
  unsigned widthModules() const { return 17u * columns + kRapModules * (columns >= 3 ? 3u : 2u) + 1u; }
};

// Ordered by columns, then rows: 1 column 11..28 rows, 2 columns 8..26, 3 columns 6..44, 4 columns 4..44.
extern const MicroSize kMicroSizes[kMicroSizeCount];

// Row address patterns 1..52 (index 0 is address 1): 10 modules each, the first in bit 9, 1 = bar.
extern const std::uint16_t kMicroSideRap[kMicroRapCount];
extern const std::uint16_t kMicroCentreRap[kMicroRapCount];

// The index of the size with `columns` and `rows`, or -1. Both must be given.
int microSizeIndex(unsigned columns, unsigned rows);

// The size that holds `dataCodewords`: with columns (1..4), the fewest rows of that width; with
// columns 0, the smallest symbol in modules (rows counted 2 modules high), fewer columns on a tie.
// -1 when none does.
int fittingMicroSize(unsigned dataCodewords, unsigned columns);

// One row of modules as pieces, left to right (see the file comment).
class MicroModuleRow {
 public:
  MicroModuleRow(const std::uint16_t* codewords, const MicroSize& size, unsigned row);

  unsigned widthModules() const { return width_; }

  template <typename Visit>
  void forEachPiece(Visit&& visit) const {
    visit(ModulePiece{left_, kRapModules});
    for (unsigned i = 0; i < columns_; ++i) {
      if (i == centreBefore_) visit(ModulePiece{centre_, kRapModules});
      visit(ModulePiece{0x10000u | patterns_[codewords_[i] % 929], 17});
    }
    visit(ModulePiece{right_, kRapModules});
    visit(ModulePiece{1u, 1});  // stop bar
  }

 private:
  const std::uint16_t* codewords_;
  const std::uint16_t* patterns_;
  unsigned columns_;
  unsigned centreBefore_;  // the codeword the centre pattern precedes; columns_ when none
  std::uint32_t left_;
  std::uint32_t centre_;
  std::uint32_t right_;
  unsigned width_;
};

struct MicroSymbol {
  std::uint8_t sizeIndex = 0;
  std::uint16_t columns = 0;
  std::uint16_t rows = 0;
  std::uint16_t checkCount = 0;
  std::uint16_t dataCount = 0;  // data codewords, Macro control block included, pads excluded
  std::uint16_t padCount = 0;
  std::uint16_t rowHeightNum = 2;  // row height : module width
  std::uint16_t rowHeightDen = 1;
  // rows x columns codewords: data, pads, Macro control block, check codewords.
  std::uint16_t sequence[kMicroMaxSlots] = {};

  const MicroSize& size() const { return kMicroSizes[sizeIndex]; }
  unsigned widthModules() const { return size().widthModules(); }
  MicroModuleRow moduleRow(unsigned r) const { return MicroModuleRow(sequence + r * columns, size(), r); }
};

// Lays `count` codewords out in size `sizeIndex`: pad codewords (900) go in at `padAt` (the data
// before, a Macro control block after), then the check codewords. Returns 0, or
// PDF417_ERR_NO_ARRANGEMENT when the codewords do not fit that size (symbol unchanged).
int layOutMicro(const std::uint16_t* codewords, unsigned count, unsigned padAt, unsigned sizeIndex,
                MicroSymbol& symbol);

// Reed-Solomon check codewords of ISO/IEC 24728 (generator roots 3^1..3^k over GF(929)) for any
// k = 1..64: check[0..k) highest order first.
void rsEncodeAnyLength(const std::uint16_t* codewords, unsigned n, unsigned k, std::uint16_t* check);

}  // namespace torv::pdf417
