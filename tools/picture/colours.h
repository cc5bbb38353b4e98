// SPDX-License-Identifier: Apache-2.0
// Colours of a printed symbol: their names on the command line and whether scanners can tell the
// bars from the space.
#pragma once

#include <string>

#include "picture_file.h"

namespace torv::tools {

// "#RRGGBB", "#RGB" or a name (black, white, red, green, blue, navy, maroon, grey, gray, yellow),
// in any case; a UsageError naming `option` otherwise.
Colour parseColour(const std::string& option, const std::string& text);

// The colour as #rrggbb.
std::string colourName(Colour colour);

// Reflectance of a colour from 0 to 1 under white light (relative luminance) and under red light
// (the red channel), each from the linear-light sRGB values.
double luminance(Colour colour);
double redReflectance(Colour colour);

// Scanners need the space to reflect this much more light than the bars, under white and under red
// light alike: 40 %, the least symbol contrast of grade C in ISO/IEC 15416.
constexpr double kLeastContrast = 0.40;

// Why bars of `bars` on `space` are too faint for scanners, with the figures; empty when they are not.
std::string contrastFault(Colour bars, Colour space);

}  // namespace torv::tools
