// SPDX-License-Identifier: Apache-2.0
#include "colours.h"

#include <cmath>
#include <cstdio>

#include "command_line.h"

namespace torv::tools {
namespace {

struct NamedColour {
  const char* name;
  Colour colour;
};

constexpr NamedColour kNames[] = {
    {"black", {0, 0, 0}},      {"white", {255, 255, 255}}, {"red", {255, 0, 0}},    {"green", {0, 128, 0}},
    {"blue", {0, 0, 255}},     {"navy", {0, 0, 128}},      {"maroon", {128, 0, 0}}, {"grey", {128, 128, 128}},
    {"gray", {128, 128, 128}}, {"yellow", {255, 255, 0}},
};

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

double linear(std::uint8_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

std::string percent(double share) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f %%", share * 100);
  return text;
}

}  // namespace

Colour parseColour(const std::string& option, const std::string& text) {
  const std::string value = lowerCase(text);
  for (const NamedColour& named : kNames) {
    if (value == named.name) return named.colour;
  }
  if (!value.empty() && value[0] == '#' && (value.size() == 7 || value.size() == 4)) {
    const bool shortForm = value.size() == 4;
    int channels[3];
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
      const int high = hexDigit(value[1 + (shortForm ? i : 2 * i)]);
      const int low = hexDigit(value[shortForm ? 1 + i : 2 + 2 * i]);
      ok = ok && high >= 0 && low >= 0;
      channels[i] = high * 16 + low;
    }
    if (ok) {
      return Colour{static_cast<std::uint8_t>(channels[0]), static_cast<std::uint8_t>(channels[1]),
                    static_cast<std::uint8_t>(channels[2])};
    }
  }
  throw UsageError(option + " is #RRGGBB, #RGB or black, white, red, green, blue, navy, maroon, grey or yellow, not '" +
                   text + "'");
}

std::string colourName(Colour colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
  return text;
}

double luminance(Colour c) { return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue); }

double redReflectance(Colour c) { return linear(c.red); }

std::string contrastFault(Colour bars, Colour space) {
  const double white = luminance(space) - luminance(bars);
  const double red = redReflectance(space) - redReflectance(bars);
  if (white >= kLeastContrast && red >= kLeastContrast) return "";
  std::string why = "bars of " + colourName(bars) + " on " + colourName(space) + " are too faint for scanners: ";
  if (white < 0 || red < 0) why += "the bars must be darker than the space; ";
  why += "reflectance difference " + percent(white) + " in white light and " + percent(red) +
         " in red light (laser scanners and most imagers), at least " + percent(kLeastContrast) +
         " needed in both (ISO/IEC 15416 symbol contrast grade C)";
  return why;
}

}  // namespace torv::tools
