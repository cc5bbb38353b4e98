// SPDX-License-Identifier: Apache-2.0
// Asks the plug-in, as a host would, what it draws for a data text: the module matrix (painted
// at a scale that samples every module) and the device size of the drawing at a resolution and scale.
#pragma once

#include <optional>
#include <string>

#include "plugin.h"
#include "symbol_layout.h"

namespace torv::tools {

struct DrawingSettings {
  int rows = 0, columns = 0, level = -1;
  int xScale = 1, yScale = 1;
  bool print = false;
};

struct DeviceSize {
  long long width = 0, height = 0;
};

// Larger pictures are refused before any surface is made.
constexpr long long kMaxPictureSide = 1000000;

class SymbolDrawing {
 public:
  SymbolDrawing(const Plugin& plugin, const DrawingSettings& settings);

  // The modules of the symbol, or nothing when the plug-in draws nothing (the data does not fit).
  std::optional<ModuleMatrix> modules(const std::u16string& text);

  // The pixels the plug-in's paint (or print) covers at this dpi and scale, measured on a surface
  // one pixel high and one one pixel wide. Width or height 0: nothing is drawn. Nothing at all
  // when a side would exceed kMaxPictureSide.
  std::optional<DeviceSize> deviceSize(const std::u16string& text, int dpi, float scale);

  // Whether the plug-in draws the text with these rows, columns and level (the scales as set).
  bool fits(const std::u16string& text, int rows, int columns, int level);

  const DrawingSettings& settings() const { return settings_; }
  int rowHeight() const { return settings_.xScale + settings_.yScale - 1; }

 private:
  void useArrangement(int rows, int columns, int level);
  long long drawnRun(const std::u16string& text, int dpi, float scale, long long width, long long height);

  const Plugin& plugin_;
  Component component_;
  DrawingSettings settings_;
};

}  // namespace torv::tools
