// SPDX-License-Identifier: Apache-2.0
// Whether a device picture shows every module as the same whole number of pixels, and which
// nearby --scale or --dpi would.
#pragma once

#include <string>

#include "symbol_drawing.h"
#include "symbol_layout.h"

namespace torv::tools {

// Uneven modules narrower than this on average do not read reliably (measured with
// pdf417_readability_sweep: from 2 px on, every picture uneven by one pixel read back).
constexpr double kSmallestUnevenModulePx = 2.0;

// Why the layout would mislead a scanner (modules of uneven width, or modules or rows under a
// pixel), or an empty text when every module is the same whole number of pixels.
std::string unevenness(const DeviceLayout& layout);

// Whether a scanner reads the layout: no module or row vanishes, and uneven modules are at least
// kSmallestUnevenModulePx wide on average.
bool readable(const DeviceLayout& layout);

// "; at 203 dpi it reads with -x 3 (...), or with pdf417-encode -w 4 --dpi 203 (...)": for a print
// refused as unreadable, the module widths that read on the same printer (each drawn first) and
// the exact X-dimension of the encoder's own picture. The printer's dpi is never changed.
std::string printAdvice(const Plugin& plugin, const DrawingSettings& settings, const std::u16string& text, int dpi);

// "; modules of whole pixels with --scale 0.5 (1 px) or --dpi 64 (1 px) ...": the settings nearest
// to dpi and scale that give modules of whole pixels, each checked with the plug-in first.
std::string wholePixelAdvice(SymbolDrawing& drawing, const ModuleMatrix& matrix, const std::u16string& text, int dpi,
                             float scale);

// The value with this many decimals.
std::string fixed(double value, int decimals);

}  // namespace torv::tools
