// SPDX-License-Identifier: Apache-2.0
// Fitting a symbol to a label's box at a printer's resolution: the widest whole-dot module, with
// the row height, columns, rows and error-correction level that go with it.
#pragma once

#include <optional>
#include <string>

namespace torv::tools {

// A box of width x height mm; the value of --fit, "WxH" in mm (an "mm" suffix allowed) or with an
// "in" suffix in inches. UsageError otherwise.
struct FitBox {
  double widthMm = 0;
  double heightMm = 0;
};
FitBox parseFitBox(const std::string& text);

struct FitRequest {
  FitBox box;
  int dpi = 0;
  int dataCodewords = 0;  // the message, length descriptor included
  int askedLevel = -1;    // -1: automatic
  int quietModules = 2;
  // The row height as the ratio row height : module width when given, else 0: the fit chooses
  // the tallest rows of at least 3 modules that the box leaves room for.
  int rowHeightNum = 0;
  int rowHeightDen = 1;
};

struct FitChoice {
  int moduleDots = 0;
  int rowDots = 0;
  int rowHeightNum = 0;  // row height : module width, as the encoder takes it
  int rowHeightDen = 1;
  int columns = 0;
  int rows = 0;
  int level = 0;
  int recommendedLevel = 0;
  long long widthDots = 0;  // with the quiet zone
  long long heightDots = 0;
};

// The level recommended for a message of `dataCodewords` codewords: 2 up to 40, 3 up to 160,
// 4 up to 320, else 5.
int recommendedLevel(int dataCodewords);

// The choice, or nothing when no symbol fits; `refusal` then says what would fit instead (a larger
// box, a lower level, a smaller module).
std::optional<FitChoice> fitSymbol(const FitRequest& request, std::string& refusal);

// What -v says about the choice.
std::string describeFit(const FitRequest& request, const FitChoice& choice);

}  // namespace torv::tools
