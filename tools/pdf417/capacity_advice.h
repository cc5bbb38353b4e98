// SPDX-License-Identifier: Apache-2.0
// What to tell a user whose data the plug-in does not draw: how much the data needs, how much of
// it the chosen settings hold, and which change of settings draws it, all from the plug-in's answers.
#pragma once

#include <string>

#include "symbol_drawing.h"

namespace torv::tools {

std::string capacityAdvice(SymbolDrawing& drawing, const std::u16string& text);

}  // namespace torv::tools
