// SPDX-License-Identifier: Apache-2.0
#include "symbol_layout.h"

#include <algorithm>
#include <cmath>

namespace torv::tools {
namespace {

// Device position where each of `units` bitmap units of `unitPixels` pixels begins, for a bitmap of
// units * unitPixels pixels drawn over `extent` device pixels with centre sampling. The picture
// object maps rows upward from the bottom edge, so a centre that falls exactly on a boundary
// between rows shows the upper one (`mirrored`).
// Device pixel p shows unit ((2p + 1) units unitPixels - mirrored) / (2 extent unitPixels), rounded
// down (unitPixels >= 1). Each step of p adds the same amount to the numerator, so one division to
// start and additions after give every quotient.
std::vector<int> unitStarts(int units, int unitPixels, int extent, bool mirrored) {
  std::vector<int> starts(static_cast<std::size_t>(units) + 1, extent);
  if (units <= 0 || extent <= 0) return starts;
  const long long bitmap = static_cast<long long>(units) * unitPixels;
  const long long denominator = 2LL * extent * unitPixels;
  const long long first = bitmap - (mirrored ? 1 : 0);
  long long unit = first / denominator, remainder = first % denominator;
  const long long stepUnits = 2 * bitmap / denominator, stepRemainder = 2 * bitmap % denominator;
  int next = 0;
  for (int p = 0; p < extent && next < units; ++p) {
    while (next <= unit && next < units) starts[static_cast<std::size_t>(next++)] = p;
    unit += stepUnits;
    remainder += stepRemainder;
    if (remainder >= denominator) {
      remainder -= denominator;
      ++unit;
    }
  }
  return starts;
}

PixelRange gaps(const std::vector<int>& starts) {
  PixelRange range{starts.back() - starts.front(), 0};
  for (std::size_t i = 1; i < starts.size(); ++i) {
    range.smallest = std::min(range.smallest, starts[i] - starts[i - 1]);
    range.largest = std::max(range.largest, starts[i] - starts[i - 1]);
  }
  return range;
}

}  // namespace

PixelRange DeviceLayout::moduleWidths() const { return gaps(columnStarts); }
PixelRange DeviceLayout::rowHeights() const { return gaps(rowStarts); }

DeviceLayout layOut(const ModuleMatrix& matrix, int moduleWidth, int rowHeight, int cx, int cy, int quietModules) {
  DeviceLayout layout;
  layout.columnStarts = unitStarts(matrix.columns, moduleWidth, cx, false);
  layout.rowStarts = unitStarts(matrix.rows, rowHeight, cy, true);
  const double averageModule = matrix.columns > 0 ? static_cast<double>(cx) / matrix.columns : 0.0;
  layout.quiet = quietModules * std::max(1, static_cast<int>(std::lround(averageModule)));
  return layout;
}

namespace {

// Starts of the same units taken from the far end: the widths of `starts` in reverse order.
std::vector<int> reversedStarts(const std::vector<int>& starts) {
  std::vector<int> reversed(starts.size());
  const int extent = starts.back();
  for (std::size_t i = 0; i < starts.size(); ++i) reversed[i] = extent - starts[starts.size() - 1 - i];
  return reversed;
}

}  // namespace

TurnedSymbol turned(const ModuleMatrix& matrix, const DeviceLayout& layout, int degrees) {
  TurnedSymbol out;
  out.layout.quiet = layout.quiet;
  const int columns = matrix.columns, rows = matrix.rows;
  const bool across = degrees == 90 || degrees == 270;
  out.matrix.columns = across ? rows : columns;
  out.matrix.rows = across ? columns : rows;
  out.matrix.dark.resize(matrix.dark.size());
  for (int i = 0; i < out.matrix.rows; ++i) {
    for (int j = 0; j < out.matrix.columns; ++j) {
      // (j, i) of the turned picture shows this module of the upright one.
      const int column = degrees == 90 ? i : degrees == 180 ? columns - 1 - j : degrees == 270 ? columns - 1 - i : j;
      const int row = degrees == 90 ? rows - 1 - j : degrees == 180 ? rows - 1 - i : degrees == 270 ? j : i;
      out.matrix.dark[static_cast<std::size_t>(i) * out.matrix.columns + j] = matrix.isDark(column, row) ? 1 : 0;
    }
  }
  switch (degrees) {
    case 90:
      out.layout.columnStarts = reversedStarts(layout.rowStarts);
      out.layout.rowStarts = layout.columnStarts;
      break;
    case 180:
      out.layout.columnStarts = reversedStarts(layout.columnStarts);
      out.layout.rowStarts = reversedStarts(layout.rowStarts);
      break;
    case 270:
      out.layout.columnStarts = layout.rowStarts;
      out.layout.rowStarts = reversedStarts(layout.columnStarts);
      break;
    default:
      out.layout.columnStarts = layout.columnStarts;
      out.layout.rowStarts = layout.rowStarts;
  }
  return out;
}

}  // namespace torv::tools
