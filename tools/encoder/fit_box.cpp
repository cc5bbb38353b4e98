// SPDX-License-Identifier: Apache-2.0
#include "fit_box.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "command_line.h"

namespace torv::tools {
namespace {

constexpr int kMaxModuleDots = 20;  // the encoder's widest module
constexpr int kMaxColumns = 30;
constexpr int kMaxRows = 90;
constexpr int kMaxSlots = 928;
constexpr int kMinRowModules = 3;
constexpr int kMinRows = 3;
constexpr int kMaxRatio = 25;  // each side of the encoder's row height ratio

int checkCodewords(int level) { return 2 << level; }

long long dotsIn(double mm, int dpi) { return static_cast<long long>(std::floor(mm * dpi / 25.4 + 1e-9)); }

std::string mm(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string mmOfDots(long long dots, int dpi) { return mm(dots * 25.4 / dpi); }

// The tallest row height of at most `most` dots that the encoder's ratio (each side 1 to 25) draws
// at a module of m dots, with its ratio; 0 when none reaches `least`.
struct RowHeight {
  int dots = 0;
  int num = 0;
  int den = 1;
};
RowHeight tallestRow(int m, long long least, long long most) {
  RowHeight best;
  for (int den = 1; den <= kMaxRatio; ++den) {
    for (int num = 1; num <= kMaxRatio; ++num) {
      const int dots = std::max(1, m * num / den);
      if (dots < least || dots > most) continue;
      if (dots > best.dots || (dots == best.dots && num + den < best.num + best.den)) best = {dots, num, den};
    }
  }
  return best;
}

// The best arrangement at a module of m dots in a box of boxW x boxH dots, or nothing.
std::optional<FitChoice> fitAt(const FitRequest& r, int level, int m, long long boxW, long long boxH) {
  const int total = r.dataCodewords + checkCodewords(level);
  std::optional<FitChoice> best;
  for (int c = 1; c <= kMaxColumns; ++c) {
    const int rows = std::max(kMinRows, (total + c - 1) / c);
    if (rows > kMaxRows || rows * c > kMaxSlots) continue;
    const long long quiet = 2LL * r.quietModules * m;
    const long long width = (17LL * c + 69) * m + quiet;
    if (width > boxW || boxH <= quiet) continue;
    RowHeight row;
    if (r.rowHeightNum > 0) {
      row = {std::max(1, m * r.rowHeightNum / r.rowHeightDen), r.rowHeightNum, r.rowHeightDen};
      if (row.dots * static_cast<long long>(rows) > boxH - quiet) continue;
    } else {
      row = tallestRow(m, static_cast<long long>(kMinRowModules) * m, (boxH - quiet) / rows);
      if (row.dots == 0) continue;
    }
    // The tallest rows read best; between equal rows, the narrower symbol.
    if (best && row.dots <= best->rowDots) continue;
    FitChoice choice;
    choice.moduleDots = m;
    choice.rowDots = row.dots;
    choice.rowHeightNum = row.num;
    choice.rowHeightDen = row.den;
    choice.columns = c;
    choice.rows = rows;
    choice.level = level;
    choice.recommendedLevel = recommendedLevel(r.dataCodewords);
    choice.widthDots = width;
    choice.heightDots = static_cast<long long>(row.dots) * rows + quiet;
    best = choice;
  }
  return best;
}

std::optional<FitChoice> widestFit(const FitRequest& r, int level, long long boxW, long long boxH) {
  for (int m = kMaxModuleDots; m >= 1; --m) {
    if (auto choice = fitAt(r, level, m, boxW, boxH)) return choice;
  }
  return std::nullopt;
}

int startLevel(const FitRequest& r) { return std::max(r.askedLevel, recommendedLevel(r.dataCodewords)); }

}  // namespace

FitBox parseFitBox(const std::string& text) {
  std::string value = lowerCase(text);
  double unit = 1.0;
  if (value.size() > 2 && value.compare(value.size() - 2, 2, "in") == 0) {
    unit = 25.4;
    value.resize(value.size() - 2);
  } else if (value.size() > 2 && value.compare(value.size() - 2, 2, "mm") == 0) {
    value.resize(value.size() - 2);
  }
  const std::size_t x = value.find('x');
  FitBox box;
  if (x != std::string::npos && x > 0 && x + 1 < value.size()) {
    const std::string w = value.substr(0, x), h = value.substr(x + 1);
    char* end = nullptr;
    const double width = std::strtod(w.c_str(), &end);
    const bool widthOk = *end == '\0' && w.find_first_not_of("0123456789.") == std::string::npos;
    const double height = std::strtod(h.c_str(), &end);
    const bool heightOk = *end == '\0' && h.find_first_not_of("0123456789.") == std::string::npos;
    if (widthOk && heightOk && width > 0 && height > 0 && width * unit <= 10000 && height * unit <= 10000) {
      box.widthMm = width * unit;
      box.heightMm = height * unit;
      return box;
    }
  }
  throw UsageError("--fit is WxH in mm (58x26) or inches (2.3x1in), not '" + text + "'");
}

int recommendedLevel(int dataCodewords) {
  return dataCodewords <= 40 ? 2 : dataCodewords <= 160 ? 3 : dataCodewords <= 320 ? 4 : 5;
}

std::optional<FitChoice> fitSymbol(const FitRequest& r, std::string& refusal) {
  const long long boxW = dotsIn(r.box.widthMm, r.dpi), boxH = dotsIn(r.box.heightMm, r.dpi);
  const int level = startLevel(r);
  if (auto choice = widestFit(r, level, boxW, boxH)) return choice;

  // Nothing fits: the nearest that would.
  refusal = "nothing fits " + mm(r.box.widthMm) + " x " + mm(r.box.heightMm) + " mm at " + std::to_string(r.dpi) +
            " dpi at level " + std::to_string(level) + " (" + std::to_string(r.dataCodewords) + " data codewords)";
  // The smallest box: one-dot modules, the arrangement that needs the least enlargement.
  double bestScale = 0;
  FitChoice smallest;
  const int total = r.dataCodewords + checkCodewords(level);
  const int rowDots = r.rowHeightNum > 0 ? std::max(1, r.rowHeightNum / r.rowHeightDen) : kMinRowModules;
  for (int c = 1; c <= kMaxColumns; ++c) {
    const int rows = std::max(kMinRows, (total + c - 1) / c);
    if (rows > kMaxRows || rows * c > kMaxSlots) continue;
    const long long width = 17LL * c + 69 + 2LL * r.quietModules;
    const long long height = static_cast<long long>(rowDots) * rows + 2LL * r.quietModules;
    const double scale =
        std::max(width / static_cast<double>(std::max(1LL, boxW)), height / static_cast<double>(std::max(1LL, boxH)));
    if (bestScale == 0 || scale < bestScale) {
      bestScale = scale;
      smallest.widthDots = width;
      smallest.heightDots = height;
    }
  }
  if (bestScale == 0) {
    refusal += ": the data and its error correction need more than the 928 codewords of the largest symbol";
    for (int lower = level - 1; lower >= 0; --lower) {
      if (widestFit(r, lower, boxW, boxH)) {
        refusal += "; at --level " + std::to_string(lower) + " it fits";
        break;
      }
    }
    return std::nullopt;
  }
  const auto roundUp = [](double value) { return std::ceil(value * 10 - 1e-9) / 10; };
  std::string instead = "a box of " + mm(roundUp(std::max(r.box.widthMm, smallest.widthDots * 25.4 / r.dpi))) + " x " +
                        mm(roundUp(std::max(r.box.heightMm, smallest.heightDots * 25.4 / r.dpi))) + " mm";
  for (int lower = level - 1; lower >= 0; --lower) {
    if (widestFit(r, lower, boxW, boxH)) {
      const int recommended = recommendedLevel(r.dataCodewords);
      instead += ", or this box at --level " + std::to_string(lower) +
                 (lower < recommended ? " (below the recommended " + std::to_string(recommended) + ")" : std::string());
      break;
    }
  }
  static const int kPrinters[] = {203, 300, 406, 600, 1200, 2400};
  for (const int dpi : kPrinters) {
    if (dpi <= r.dpi) continue;
    if (widestFit(r, level, dotsIn(r.box.widthMm, dpi), dotsIn(r.box.heightMm, dpi))) {
      char module[96];
      std::snprintf(module, sizeof module, ", or this box with modules of %.3f mm (a %d dpi printer)", 25.4 / dpi, dpi);
      instead += module;
      break;
    }
  }
  refusal += "; it would fit " + instead;
  return std::nullopt;
}

std::string describeFit(const FitRequest& r, const FitChoice& c) {
  char text[512];
  std::snprintf(text, sizeof text,
                "fit %s x %s mm at %d dpi: module %d dot%s (%.3f mm), rows %d dots (%s mm), %d column%s x %d rows, "
                "level %d (asked %s, recommended %d); %s x %s mm with the quiet zone\n",
                mm(r.box.widthMm).c_str(), mm(r.box.heightMm).c_str(), r.dpi, c.moduleDots,
                c.moduleDots == 1 ? "" : "s", c.moduleDots * 25.4 / r.dpi, c.rowDots,
                mmOfDots(c.rowDots, r.dpi).c_str(), c.columns, c.columns == 1 ? "" : "s", c.rows, c.level,
                r.askedLevel < 0 ? "auto" : std::to_string(r.askedLevel).c_str(), c.recommendedLevel,
                mmOfDots(c.widthDots, r.dpi).c_str(), mmOfDots(c.heightDots, r.dpi).c_str());
  return text;
}

}  // namespace torv::tools
