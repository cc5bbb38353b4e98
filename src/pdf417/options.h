// SPDX-License-Identifier: Apache-2.0
// The encoder's options and their reset values.
#pragma once

#include <cstdint>

namespace torv::pdf417 {

// How the data bytes become data codewords: the segment rules the plug-in's symbols are made
// with, or the shortest encoding there is (fewest_compaction.h).
enum class Compaction : std::uint8_t { Rules = 0, Fewest = 1 };

// What decides the symbol: its size, the error-correction level and the row height.
struct Pdf417Options {
  std::uint16_t rows = 90;         // 0 = derive (fixed) ; upper bound (bounded)
  std::uint16_t columns = 30;      // data columns, same conventions
  std::uint16_t sizingMode = 1;    // SIZING_FIXED or SIZING_BOUNDED
  std::uint16_t aspect = 50;       // target height : width x 100
  std::uint16_t rowHeightNum = 3;  // row height : module width
  std::uint16_t rowHeightDen = 1;
  bool eccExplicit = false;  // a level was set: it is kept, and spare pads do not raise it
  std::uint16_t eccLevel = 0;
  // Extended channel named before the data (26 = UTF-8), -1 none. Only direct callers of the
  // encoder set it; the plug-in's symbols never carry one.
  std::int32_t eci = -1;
  Compaction compaction = Compaction::Rules;
  // Compact (truncated) PDF417: no right row indicator, a stop pattern of one bar. Direct callers only.
  bool compact = false;
  // Reader Initialisation: the symbol programs the reader (921 leads the data). Direct callers only.
  bool readerInit = false;
};

// How a write draws the symbol. Without an installed writer a write produces no bytes.
struct BitmapOptions {
  bool installed = false;
  std::uint16_t moduleWidth = 0;  // pixels, 0 draws as 1
  bool withFileHeader = false;
};

}  // namespace torv::pdf417
