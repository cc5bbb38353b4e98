// SPDX-License-Identifier: Apache-2.0
// Symbols that the Windows build paints under Wine and the Linux build paints again, at the same
// size, for a pixel-by-pixel comparison and a read-back by an independent reader.
#pragma once

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace torv::test {

struct PaintCase {
  const char* name;     // file name stem of the painted picture
  std::u16string text;  // the data text as the host passes it
  std::string bytes;    // what the symbol must carry: the text in Windows-1252
  int rows, columns, ecc, xScale, yScale;
};

// Gives an instance the case's five attributes through the plug-in's setAttr (linked or loaded).
template <typename Instance, typename SetAttr>
void applyAttributes(const PaintCase& c, Instance* instance, SetAttr setAttr) {
  const std::pair<const char16_t*, int> values[] = {{u"PDF417_ROWNUM", c.rows},
                                                    {u"PDF417_COLNUM", c.columns},
                                                    {u"PDF417_ECC", c.ecc},
                                                    {u"PDF417_XSCALE", c.xScale},
                                                    {u"PDF417_YSCALE", c.yScale}};
  for (const auto& [name, value] : values) {
    const std::string digits = std::to_string(value);
    setAttr(instance, name, std::u16string(digits.begin(), digits.end()).c_str());
  }
}

inline const std::vector<PaintCase>& paintCases() {
  static const std::vector<PaintCase> cases = {
      {"quadruple-modules", u"Hello, world", "Hello, world", 0, 8, 0, 4, 1},
      {"wide-modules", u"PDF417 0123456789 abc", "PDF417 0123456789 abc", 0, 4, 2, 2, 3},
      {"fixed-grid", u"Rows and columns fixed", "Rows and columns fixed", 12, 5, 3, 1, 4},
      {"code-page", u"Gr\u00FC\u00DFe \u20AC5 caf\u00E9",
       "Gr\xFC\xDF"
       "e \x80"
       "5 caf\xE9",
       0, 0, 1, 1, 3},
      {"numeric", u"00123456789012345678901234567890", "00123456789012345678901234567890", 0, 6, 4, 3, 3},
      {"tall-rows", u"Tall rows, narrow modules", "Tall rows, narrow modules", 0, 3, 2, 1, 12},
  };
  return cases;
}

// Symbols drawn through a host's print paths (a metafile played back at printer scale, a 600-dpi
// surface) and read back on Linux. Modules one bitmap pixel wide, so that the device's scale alone
// decides how even they come out.
inline const std::vector<PaintCase>& printCases() {
  static const std::vector<PaintCase> cases = {
      {"hello", u"Hello, printer", "Hello, printer", 0, 4, 2, 1, 3},
      {"digits", u"31415926535897932384626433832795", "31415926535897932384626433832795", 0, 3, 1, 1, 3},
      {"invoice", u"Invoice 2026-12-08, total \u20AC 12,50", "Invoice 2026-12-08, total \x80 12,50", 0, 5, 3, 1, 4},
      {"fixed", u"Ten rows, four columns", "Ten rows, four columns", 10, 4, 2, 1, 3},
      {"automatic", u"Rows and columns left to the encoder", "Rows and columns left to the encoder", 0, 0, 2, 1, 3},
      {"accents", u"Caf\u00E9 cr\u00E8me br\u00FBl\u00E9e",
       "Caf\xE9 cr\xE8me br\xFBl\xE9"
       "e",
       0, 4, 2, 1, 2},
  };
  return cases;
}

// The pictures of the print paths: "<path>-<case>.bmp".
inline const std::vector<std::string>& printPaths() {
  static const std::vector<std::string> paths = {"metafile-6.25x", "dpi600-print", "dpi600-paint"};
  return paths;
}

// A paint scale that makes the component's rectangle exactly multiple times the bitmap
// (bitmapWidth x bitmapHeight pixels) on both axes, given the natural size in host units; the
// component truncates naturalWidth * scale and naturalHeight * scale computed in float. Nothing
// when no single scale does it for this multiple.
inline std::optional<float> exactMultipleScale(int bitmapWidth, int bitmapHeight, int naturalWidth, int naturalHeight,
                                               int multiple) {
  if (naturalWidth <= 0 || naturalHeight <= 0) return std::nullopt;
  const double low =
      std::max(double(multiple) * bitmapWidth / naturalWidth, double(multiple) * bitmapHeight / naturalHeight);
  const double high =
      std::min(double(multiple * bitmapWidth + 1) / naturalWidth, double(multiple * bitmapHeight + 1) / naturalHeight);
  if (!(low < high)) return std::nullopt;
  const auto scale = static_cast<float>((low + high) / 2);
  const auto cx = static_cast<long long>(static_cast<float>(naturalWidth) * scale);
  const auto cy = static_cast<long long>(static_cast<float>(naturalHeight) * scale);
  if (cx != static_cast<long long>(multiple) * bitmapWidth || cy != static_cast<long long>(multiple) * bitmapHeight) {
    return std::nullopt;
  }
  return scale;
}

struct ExactPaint {
  int multiple;  // device pixels per bitmap pixel on each axis
  float scale;
};

// The largest multiple up to 4 that one paint scale gives on both axes (natural sizes round
// separately, so not every multiple can be had), or nothing.
inline std::optional<ExactPaint> exactPaint(int bitmapWidth, int bitmapHeight, int naturalWidth, int naturalHeight) {
  for (int multiple = 4; multiple >= 1; --multiple) {
    if (const auto scale = exactMultipleScale(bitmapWidth, bitmapHeight, naturalWidth, naturalHeight, multiple)) {
      return ExactPaint{multiple, *scale};
    }
  }
  return std::nullopt;
}

}  // namespace torv::test
