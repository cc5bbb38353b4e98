// SPDX-License-Identifier: Apache-2.0
#include "pdf417/option_rules.h"

#include <cstring>

#include "pdf417/bitmap_writer.h"
#include "pdf417/codeword_buffer.h"
#include "pdf417/decimal_ratio.h"
#include "pdf417/pdf417.h"

namespace torv::pdf417 {
namespace {

// Splits "h:w" at the first colon; without a colon only h is set and hasColon is false.
struct RatioText {
  const char* h;
  const char* hEnd;
  const char* w;
  const char* wEnd;
  bool hasColon;
};

RatioText splitRatio(const char* text) {
  const char* end = text + std::strlen(text);
  const char* colon = std::strchr(text, ':');
  if (colon == nullptr) return {text, end, end, end, false};
  return {text, colon, colon + 1, end, true};
}

}  // namespace

bool applyEccLevel(Pdf417Options& o, int level) {
  const std::uint16_t value = low16(level);
  if (value > 8) return false;
  o.eccLevel = value;
  o.eccExplicit = true;
  return true;
}

bool applySizingMode(Pdf417Options& o, int mode) {
  if (mode == SIZING_BOUNDED) {
    o.rows = 90;
    o.columns = 30;
  } else if (mode == SIZING_FIXED) {
    o.rows = 58;
    o.columns = 16;
  } else {
    return false;
  }
  o.sizingMode = static_cast<std::uint16_t>(mode);
  return true;
}

bool applyRowsColumns(Pdf417Options& o, int rows, int columns) {
  const std::uint16_t r = low16(rows);
  const std::uint16_t c = low16(columns);
  if (r != 0 && (r < 3 || r > kMaxRows)) return false;
  if (c > kMaxColumns) return false;
  if (o.sizingMode == SIZING_BOUNDED) {
    if (r == 0 || c == 0) return false;
  } else {
    if (r == 0 && c == 0) return false;
    if (r != 0 && c != 0 && unsigned{r} * c > kMaxSlots) return false;
  }
  o.rows = r;
  o.columns = c;
  return true;
}

bool applyAspectRatio(Pdf417Options& o, const char* ratio) {
  if (ratio == nullptr) return false;
  const RatioText t = splitRatio(ratio);
  std::uint32_t h = 0;
  std::uint32_t w = 0;
  if (!t.hasColon || !parseHundredths(t.h, t.hEnd, h) || !parseHundredths(t.w, t.wEnd, w)) return false;
  const std::uint32_t aspect = 100 * h / w;
  if (aspect < 1 || aspect > 1000) return false;
  o.aspect = static_cast<std::uint16_t>(aspect);
  return true;
}

bool applyRowHeightRatio(Pdf417Options& o, const char* ratio) {
  if (ratio == nullptr) return false;
  const RatioText t = splitRatio(ratio);
  std::uint32_t h = 0;
  std::uint32_t w = 100;
  if (!parseHundredths(t.h, t.hEnd, h)) return false;
  if (t.hasColon && !parseHundredths(t.w, t.wEnd, w)) return false;
  h /= 100;  // fractions are dropped
  w /= 100;
  if (h < 1 || h > 25 || w < 1 || w > 25) return false;
  o.rowHeightNum = static_cast<std::uint16_t>(h);
  o.rowHeightDen = static_cast<std::uint16_t>(w);
  return true;
}

bool applyBitmapWriter(BitmapOptions& o, int moduleWidth, bool withFileHeader) {
  const std::uint16_t width = low16(moduleWidth);
  if (width > kMaxModuleWidth) return false;
  o.moduleWidth = width;
  o.withFileHeader = withFileHeader;
  o.installed = true;
  return true;
}

}  // namespace torv::pdf417
