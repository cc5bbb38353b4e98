// SPDX-License-Identifier: Apache-2.0
// Runs the encoder on one payload with one set of options, the way its callers drive it, and checks
// everything that can be checked from the outside: setter results, the documented failure codes, the
// BMP file, the symbol structure (test reader), the rows/columns/level choice (symbol model) and the
// payload read back by zxing-cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "symbol_model.h"

namespace torv::test {

struct EncodeCase {
  static constexpr int kNoCall = -99999;
  int eccLevel = kNoCall;    // value passed to pdf417SetEccLevel (any int), or no call
  int sizingMode = kNoCall;  // value passed to pdf417SetSizingMode, or no call
  bool setRowsColumns = false;
  int rows = 0, columns = 0;
  std::string aspect;                      // text for pdf417SetAspectRatio, empty = no call
  int aspectValue = 50;                    // what that text means (height : width x 100)
  std::string rowHeight;                   // text for pdf417SetRowHeightRatio, empty = no call
  int rowHeightNum = 3, rowHeightDen = 1;  // what that text means
  int moduleWidth = 1;                     // pdf417SetBitmapWriter
  bool fileHeader = true;
  bool checkShortBuffer = false;  // also write into a buffer one byte too small
};

struct EncodeReport {
  int encodeResult = 0;
  int writeResult = 0;
  bool decoded = false;  // zxing-cpp read the exact payload back
  int rows = 0, columns = 0, level = -1, dataCount = 0;
  int capacity = 0;  // planned data room, length descriptor included
  // How often each mode codeword (900 Text latch, 901/924 Byte latches, 902 Numeric latch, 913 Byte
  // shift) occurs among the data codewords, pads excluded.
  int latchText = 0, latchByte = 0, latchByte6 = 0, latchNumeric = 0, shiftByte = 0;
};

// Empty string when every check passed, otherwise what went wrong.
std::string runEncodeCase(const std::vector<std::uint8_t>& data, const EncodeCase& c, EncodeReport& report);

std::string describe(const EncodeCase& c);

}  // namespace torv::test
