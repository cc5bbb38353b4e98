// The laid-out symbol: rows, columns, level and the row matrix with its indicators.
#pragma once

#include <cstdint>

#include "pdf417/codeword_buffer.h"
#include "pdf417/options.h"

namespace torv::pdf417 {

constexpr unsigned kMaxRows = 90;
constexpr unsigned kMaxColumns = 30;

struct SymbolLayout {
  std::uint16_t rows = 0;
  std::uint16_t codewordsPerRow = 0;  // columns + 2 row indicators
  std::uint16_t eccLevel = 0;
  std::uint16_t padCount = 0;
  std::uint16_t dataCount = 0;  // length descriptor included, pads excluded
  std::uint16_t rowHeightNum = 3;
  std::uint16_t rowHeightDen = 1;
  std::uint16_t columns = 0;
  std::uint16_t matrix[kMaxRows * (kMaxColumns + 2)] = {};

  const std::uint16_t* row(unsigned r) const { return matrix + r * codewordsPerRow; }
};

// Completes the codeword sequence in buffer (level, pads, length descriptor, check
// codewords) and fills layout, rows included. Returns 0 or PDF417_ERR_NO_ARRANGEMENT.
// buffer.count is back at the data count afterwards, so the step can be repeated.
int layoutSymbol(const Pdf417Options& options, CodewordBuffer& buffer, SymbolLayout& layout);

}  // namespace torv::pdf417
