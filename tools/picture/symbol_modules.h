// SPDX-License-Identifier: Apache-2.0
// The modules of a symbol and the pixel grid they are drawn on, for PDF417 and MicroPDF417 alike:
// both hand out module rows that are walked piece by piece.
#pragma once

#include <cstddef>

#include "pdf417/symbol.h"
#include "symbol_layout.h"

namespace torv::tools {

// The symbol's modules, read from its module rows; `widthModules` is the width of every row.
template <typename SymbolWithRows>
ModuleMatrix modulesOf(const SymbolWithRows& symbol, unsigned widthModules) {
  ModuleMatrix matrix;
  matrix.rows = symbol.rows;
  matrix.columns = static_cast<int>(widthModules);
  // Written in place, a piece at a time: rows of another width still give every module they have.
  matrix.dark.resize(static_cast<std::size_t>(matrix.columns) * matrix.rows);
  std::size_t used = 0;
  for (unsigned r = 0; r < symbol.rows; ++r) {
    symbol.moduleRow(r).forEachPiece([&](pdf417::ModulePiece piece) {
      if (piece.count > matrix.dark.size() - used) matrix.dark.resize(used + piece.count);
      std::uint8_t* out = matrix.dark.data() + used;
      for (unsigned bit = piece.count; bit-- > 0;) *out++ = (piece.bits >> bit) & 1u;
      used += piece.count;
    });
  }
  matrix.dark.resize(used);
  return matrix;
}

// A PDF417 symbol's modules (every row has the width of the first).
inline ModuleMatrix modulesOf(const pdf417::Symbol& symbol) {
  return modulesOf(symbol, symbol.moduleRow(0).widthModules());
}

// Every module `moduleWidth` pixels wide and every row `rowHeight` pixels high, with a quiet zone
// of `quietModules` modules.
inline DeviceLayout gridLayout(const ModuleMatrix& matrix, int moduleWidth, int rowHeight, int quietModules) {
  DeviceLayout layout;
  for (int c = 0; c <= matrix.columns; ++c) layout.columnStarts.push_back(c * moduleWidth);
  for (int r = 0; r <= matrix.rows; ++r) layout.rowStarts.push_back(r * rowHeight);
  layout.quiet = quietModules * moduleWidth;
  return layout;
}

}  // namespace torv::tools
