// Whether a device picture shows every module as the same whole number of pixels, and which
// nearby --scale or --dpi would.
#pragma once

#include <string>

#include "symbol_drawing.h"
#include "symbol_layout.h"

namespace torv::tools {

// Why the layout would mislead a scanner (modules of uneven width, or modules or rows under a
// pixel), or an empty text when every module is the same whole number of pixels.
std::string unevenness(const DeviceLayout& layout);

// "; modules of whole pixels with --scale 0.5 (1 px) or --dpi 64 (1 px) ...": the settings nearest
// to dpi and scale that give modules of whole pixels, each checked with the plug-in first.
std::string wholePixelAdvice(SymbolDrawing& drawing, const ModuleMatrix& matrix, const std::u16string& text, int dpi,
                             float scale);

// The value with this many decimals.
std::string fixed(double value, int decimals);

}  // namespace torv::tools
