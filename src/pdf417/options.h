// The encoder's single option record and its reset values.
#pragma once

#include <cstdint>

namespace torv::pdf417 {

struct Pdf417Options {
  std::uint16_t rows = 90;         // 0 = derive (fixed) ; upper bound (bounded)
  std::uint16_t columns = 30;      // data columns, same conventions
  std::uint16_t sizingMode = 1;    // SIZING_FIXED or SIZING_BOUNDED
  std::uint16_t aspect = 50;       // target height : width x 100
  std::uint16_t rowHeightNum = 3;  // row height : module width
  std::uint16_t rowHeightDen = 1;
  bool eccExplicit = false;
  bool eccAutoRaise = true;
  std::uint16_t eccLevel = 0;
  std::uint16_t eccPercent = 10;
  bool writerInstalled = false;
  std::uint16_t moduleWidth = 0;  // pixels, 0 draws as 1
  bool withFileHeader = false;
};

// The process-wide options.
Pdf417Options& encoderOptions();

}  // namespace torv::pdf417
