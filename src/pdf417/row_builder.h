// Arranges the codeword sequence into rows with their left and right row indicators.
#pragma once

#include <cstdint>

#include "pdf417/symbol_layout.h"

namespace torv::pdf417 {

// Fills layout.matrix from sequence (rows x columns codewords); rows, columns and
// eccLevel of layout must be set.
void buildRows(SymbolLayout& layout, const std::uint16_t* sequence);

}  // namespace torv::pdf417
