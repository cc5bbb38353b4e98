#include "picture_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

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

}  // namespace

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
