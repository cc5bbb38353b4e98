// SPDX-License-Identifier: Apache-2.0
#include "picture_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "symbol_layout.h"

namespace torv::tools {
namespace {

double averageModule(const DeviceLayout& layout) {
  return static_cast<double>(layout.symbolWidth()) / static_cast<double>(layout.columnStarts.size() - 1);
}

bool wholePixels(SymbolDrawing& drawing, const ModuleMatrix& matrix, const std::u16string& text, int dpi, float scale,
                 int modulePixels) {
  const std::optional<DeviceSize> size = drawing.deviceSize(text, dpi, scale);
  if (!size || size->width == 0 || size->height == 0) return false;
  const DeviceLayout layout = layOut(matrix, drawing.settings().xScale, drawing.rowHeight(),
                                     static_cast<int>(size->width), static_cast<int>(size->height), 0);
  const PixelRange widths = layout.moduleWidths();
  return widths.even() && widths.smallest == modulePixels && layout.rowHeights().smallest > 0;
}

// The layout of the text at this dpi with -x xScale, or nothing when it is not drawn.
std::optional<DeviceLayout> printLayout(const Plugin& plugin, DrawingSettings settings, const std::u16string& text,
                                        int dpi, int xScale) {
  settings.xScale = xScale;
  SymbolDrawing drawing(plugin, settings);
  const std::optional<ModuleMatrix> matrix = drawing.modules(text);
  if (!matrix) return std::nullopt;
  const std::optional<DeviceSize> size = drawing.deviceSize(text, dpi, 1.0f);
  if (!size || size->width == 0 || size->height == 0) return std::nullopt;
  return layOut(*matrix, xScale, drawing.rowHeight(), static_cast<int>(size->width), static_cast<int>(size->height), 0);
}

std::string describeModules(const DeviceLayout& layout, int dpi) {
  const double module = averageModule(layout);
  const PixelRange widths = layout.moduleWidths();
  const std::string drawn = widths.even() ? std::to_string(widths.smallest) + " px"
                                          : fixed(module, 2) + " px, drawn " + std::to_string(widths.smallest) + "-" +
                                                std::to_string(widths.largest) + " px";
  return drawn + " = " + fixed(module * 25.4 / dpi, 2) + " mm";
}

int greatestCommonDivisor(int a, int b) { return b == 0 ? a : greatestCommonDivisor(b, a % b); }

}  // namespace

bool readable(const DeviceLayout& layout) {
  const PixelRange widths = layout.moduleWidths();
  if (widths.smallest == 0 || layout.rowHeights().smallest == 0) return false;
  return widths.even() || averageModule(layout) >= kSmallestUnevenModulePx;
}

std::string printAdvice(const Plugin& plugin, const DrawingSettings& settings, const std::u16string& text, int dpi) {
  std::vector<std::string> choices;
  // The narrowest -x that reads, and the narrowest that gives whole pixels if that is wider but
  // not more than twice as wide (a label's size is not the user's to lose).
  int readableXScale = 0;
  for (int xScale = 1; xScale <= 20 && xScale + settings.yScale - 1 <= 25; ++xScale) {
    if (xScale == settings.xScale) continue;
    if (readableXScale > 0 && xScale > 2 * readableXScale) break;
    // A whole number of device pixels needs xScale * dpi / 96 whole; others are tried only until
    // one reads.
    const bool whole = xScale * dpi % 96 == 0;
    if (readableXScale > 0 && !whole) continue;
    const std::optional<DeviceLayout> layout = printLayout(plugin, settings, text, dpi, xScale);
    if (!layout || !readable(*layout)) continue;
    choices.push_back("-x " + std::to_string(xScale) + " (" + describeModules(*layout, dpi) + ")");
    if (layout->moduleWidths().even()) break;
    readableXScale = xScale;
  }
  // The encoder's own picture has modules of exactly N device pixels: N near the X-dimension asked for.
  const int pixels = std::min(20, std::max(1, static_cast<int>(std::lround(settings.xScale * dpi / 96.0))));
  const int rowHeight = settings.xScale + settings.yScale - 1;
  const int divisor = greatestCommonDivisor(rowHeight, settings.xScale);
  const std::string rows = rowHeight == 3 * settings.xScale ? ""
                                                            : " -y " + std::to_string(rowHeight / divisor) + ":" +
                                                                  std::to_string(settings.xScale / divisor);
  choices.push_back("pdf417-encode -w " + std::to_string(pixels) + rows + " --dpi " + std::to_string(dpi) + " (" +
                    std::to_string(pixels) + " px = " + fixed(pixels * 25.4 / dpi, 2) + " mm exactly)");
  std::string advice = "; at " + std::to_string(dpi) + " dpi it reads with ";
  for (std::size_t i = 0; i < choices.size(); ++i) advice += (i == 0 ? "" : ", or with ") + choices[i];
  return advice;
}

std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string unevenness(const DeviceLayout& layout) {
  const PixelRange widths = layout.moduleWidths();
  if (widths.smallest == 0) {
    return "modules would be " + fixed(averageModule(layout), 2) + " px wide, so some would vanish";
  }
  if (!widths.even()) {
    return "modules would be " + fixed(averageModule(layout), 2) + " px wide on average, drawn " +
           std::to_string(widths.smallest) + " or " + std::to_string(widths.largest) + " px: bars of uneven width";
  }
  if (layout.rowHeights().smallest == 0) return "rows would be under 1 px high, so some would vanish";
  return "";
}

// For the whole pixel counts below and above the current module width. The drawing's width is
// proportional to dpi and to scale (up to rounding), so each candidate is a rule of three on it.
std::string wholePixelAdvice(SymbolDrawing& drawing, const ModuleMatrix& matrix, const std::u16string& text, int dpi,
                             float scale) {
  const DrawingSettings& settings = drawing.settings();
  // Ideally a module is xscale * dpi / 96 pixels when printing, xscale * dpi * scale / 128 when
  // painting; the measured width at scale 1 carries the plug-in's rounding when it is not tiny.
  const double idealAtScaleOne =
      static_cast<double>(matrix.columns) * settings.xScale * dpi / (settings.print ? 96.0 : 128.0);
  const std::optional<DeviceSize> atScaleOne = drawing.deviceSize(text, dpi, 1.0f);
  const double scaleOneWidth =
      atScaleOne && atScaleOne->width >= matrix.columns ? static_cast<double>(atScaleOne->width) : idealAtScaleOne;
  const std::optional<DeviceSize> now = drawing.deviceSize(text, dpi, scale);
  const double module = now ? static_cast<double>(now->width) / matrix.columns : 0.0;

  std::vector<int> pixelCounts{std::max(1, static_cast<int>(std::floor(module)))};
  if (module > pixelCounts[0]) pixelCounts.push_back(pixelCounts[0] + 1);
  std::vector<std::string> choices;
  for (int pixels : pixelCounts) {
    const double wanted = static_cast<double>(pixels) * matrix.columns;
    if (!settings.print) {
      const double exact = wanted / scaleOneWidth;
      for (int decimals = 1; decimals <= 7; ++decimals) {
        const double power = std::pow(10.0, decimals);
        std::string candidate = fixed(std::ceil(exact * power - 1e-9) / power, decimals);
        while (candidate.back() == '0') candidate.pop_back();
        if (candidate.back() == '.') candidate.pop_back();
        const float value = std::strtof(candidate.c_str(), nullptr);
        if (value > 0 && value <= 100 && wholePixels(drawing, matrix, text, dpi, value, pixels)) {
          choices.push_back("--scale " + candidate + " (" + std::to_string(pixels) + " px)");
          break;
        }
      }
    }
    const long nearDpi = std::lround(dpi * wanted / (idealAtScaleOne * scale));
    for (long candidate = std::max(1L, nearDpi - 2); candidate <= std::min(9600L, nearDpi + 2); ++candidate) {
      if (wholePixels(drawing, matrix, text, static_cast<int>(candidate), scale, pixels)) {
        choices.push_back("--dpi " + std::to_string(candidate) + " (" + std::to_string(pixels) + " px)");
        break;
      }
    }
  }
  if (choices.empty()) return "; no nearby --scale or --dpi gives whole pixels, try another --xscale";
  std::string advice = "; modules of whole pixels with ";
  for (std::size_t i = 0; i < choices.size(); ++i) advice += (i == 0 ? "" : " or ") + choices[i];
  return advice;
}

}  // namespace torv::tools
