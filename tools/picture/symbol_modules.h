// SPDX-License-Identifier: Apache-2.0
// The module matrix of an encoded PDF417 symbol, read from its module rows.
#pragma once

#include "pdf417/symbol.h"
#include "symbol_layout.h"

namespace torv::tools {

inline ModuleMatrix modulesOf(const pdf417::Symbol& symbol) {
  ModuleMatrix matrix;
  matrix.rows = symbol.rows;
  matrix.columns = static_cast<int>(symbol.moduleRow(0).widthModules());
  matrix.dark.reserve(static_cast<std::size_t>(matrix.columns) * matrix.rows);
  for (unsigned r = 0; r < symbol.rows; ++r) {
    symbol.moduleRow(r).forEachPiece([&](pdf417::ModulePiece piece) {
      for (unsigned bit = piece.count; bit-- > 0;) matrix.dark.push_back((piece.bits >> bit) & 1u);
    });
  }
  return matrix;
}

}  // namespace torv::tools
