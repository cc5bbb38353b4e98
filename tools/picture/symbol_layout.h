// SPDX-License-Identifier: Apache-2.0
// The symbol as the host's device shows it: the module matrix that the plug-in paints, and where
// every module column and row falls in device pixels once the host scales the picture.
#pragma once

#include <cstdint>
#include <vector>

namespace torv::tools {

struct ModuleMatrix {
  int columns = 0;
  int rows = 0;
  std::vector<std::uint8_t> dark;  // columns * rows, top row first

  bool isDark(int column, int row) const { return dark[static_cast<std::size_t>(row) * columns + column] != 0; }
};

// Smallest and largest of a set of pixel counts.
struct PixelRange {
  int smallest = 0;
  int largest = 0;
  bool even() const { return smallest == largest; }
};

struct DeviceLayout {
  std::vector<int> columnStarts;  // module columns + 1 device x positions, the last one the symbol's width
  std::vector<int> rowStarts;     // module rows + 1 device y positions
  int quiet = 0;                  // white pixels on every side

  int symbolWidth() const { return columnStarts.back(); }
  int symbolHeight() const { return rowStarts.back(); }
  long long width() const { return symbolWidth() + 2LL * quiet; }
  long long height() const { return symbolHeight() + 2LL * quiet; }
  PixelRange moduleWidths() const;
  PixelRange rowHeights() const;
};

// The device picture of a bitmap of `matrix` with modules `moduleWidth` bitmap pixels wide and rows
// `rowHeight` high, drawn into cx x cy device pixels. Each device pixel shows the bitmap pixel under
// its centre, as the host's picture object samples it; with whole-pixel factors this is exact.
// The quiet zone is `quietModules` times the (average) module width.
DeviceLayout layOut(const ModuleMatrix& matrix, int moduleWidth, int rowHeight, int cx, int cy, int quietModules);

// The picture turned clockwise by 0, 90, 180 or 270 degrees: a module matrix and layout of its
// own, which every writer draws as it draws an upright one.
struct TurnedSymbol {
  ModuleMatrix matrix;
  DeviceLayout layout;
};
TurnedSymbol turned(const ModuleMatrix& matrix, const DeviceLayout& layout, int degrees);

}  // namespace torv::tools
