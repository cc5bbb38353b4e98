// SPDX-License-Identifier: Apache-2.0
#include "capacity_advice.h"

#include <vector>

namespace torv::tools {
namespace {

std::string orAuto(int value) { return value == 0 ? "auto" : std::to_string(value); }
std::string levelText(int level) { return level < 0 ? "auto" : std::to_string(level); }

// Characters of the text, a surrogate pair counting as one: the plug-in gets one byte for each.
std::size_t characterCount(const std::u16string& text, std::size_t units) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < units; ++i) count += text[i] < 0xDC00 || text[i] > 0xDFFF;
  return count;
}

// The most leading characters of the text that the settings hold (never splitting a pair).
std::size_t fittingPrefix(SymbolDrawing& drawing, const std::u16string& text) {
  const DrawingSettings& s = drawing.settings();
  std::size_t low = 0, high = text.size();  // the prefix of `low` units fits, `high` does not
  while (high - low > 1) {
    std::size_t middle = low + (high - low) / 2;
    if (text[middle] >= 0xDC00 && text[middle] <= 0xDFFF) --middle;
    if (middle <= low) break;
    if (drawing.fits(text.substr(0, middle), s.rows, s.columns, s.level)) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return low;
}

}  // namespace

std::string capacityAdvice(SymbolDrawing& drawing, const std::u16string& text) {
  const DrawingSettings& s = drawing.settings();
  const std::size_t bytes = characterCount(text, text.size());
  const std::size_t held = characterCount(text, fittingPrefix(drawing, text));
  std::string message = "the data needs " + std::to_string(bytes) + " bytes (Windows-1252); a symbol with rows " +
                        orAuto(s.rows) + ", columns " + orAuto(s.columns) + " and level " + levelText(s.level) +
                        (held == 0 ? " holds none of them" : " holds only the first " + std::to_string(held));

  // Changes that make it fit, the smallest first: a lower level, then a free arrangement.
  std::vector<std::string> changes;
  const bool fixedArrangement = s.rows != 0 || s.columns != 0;
  const int fromLevel = s.level < 0 ? 8 : s.level - 1;
  for (int level = fromLevel; level >= 0; --level) {
    if (drawing.fits(text, s.rows, s.columns, level)) {
      changes.push_back("--level " + std::to_string(level) + (level < fromLevel ? " or lower" : ""));
      break;
    }
  }
  if (fixedArrangement) {
    if (drawing.fits(text, 0, 0, s.level)) {
      changes.push_back("--rows 0 --columns 0");
    } else {
      for (int level = fromLevel; level >= 0; --level) {
        if (drawing.fits(text, 0, 0, level)) {
          changes.push_back("--rows 0 --columns 0 --level " + std::to_string(level));
          break;
        }
      }
    }
  }
  if (changes.empty()) return message + "; no rows, columns or level hold all of it: shorten the data";
  message += "; it fits with ";
  for (std::size_t i = 0; i < changes.size(); ++i) message += (i == 0 ? "" : ", or with ") + changes[i];
  return message;
}

}  // namespace torv::tools
