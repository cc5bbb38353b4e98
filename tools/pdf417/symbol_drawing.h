// SPDX-License-Identifier: Apache-2.0
// What the plug-in draws for a data text: the module matrix and the device size of the drawing at a
// resolution and scale. The built-in plug-in is asked once per text through its own code (one
// encode: the symbol, and sizes from the geometry that paint and print use); a plug-in loaded by
// path is asked as a host would, its modules sampled from a painting and its sizes probed.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "component/symbol_geometry.h"
#include "component/symbol_picture.h"
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

  // The pixels the plug-in's paint (or print) covers at this dpi and scale: what a surface one
  // pixel high and one one pixel wide would show, starting from a surface a little larger than
  // the natural size and doubling while the drawing reaches its edge. Width or height 0: nothing
  // is drawn. Nothing at all when a side would exceed kMaxPictureSide.
  std::optional<DeviceSize> deviceSize(const std::u16string& text, int dpi, float scale);

  // Whether the plug-in draws the text with these rows, columns and level (the scales as set).
  bool fits(const std::u16string& text, int rows, int columns, int level);

  const DrawingSettings& settings() const { return settings_; }
  int rowHeight() const { return settings_.xScale + settings_.yScale - 1; }

 private:
  void useArrangement(int rows, int columns, int level);
  std::optional<ModuleMatrix> sampledModules(const std::u16string& text, int bitmapWidth, int bitmapHeight);
  long long drawnRun(const std::u16string& text, int dpi, float scale, long long width, long long height);
  // The HIMETRIC size of the built-in plug-in's picture of the text (encoded once per text).
  std::optional<component::PictureSize> pictureSize(const std::u16string& text);
  // The size the plug-in reports at dpi (getAutosize), or nothing when it reports none.
  std::optional<component::HostSize> naturalSize(const std::u16string& text, int dpi);

  const Plugin& plugin_;
  Component component_;
  DrawingSettings settings_;
  // The built-in plug-in's last text, its symbol (when laidOut_) and its picture size.
  std::u16string measuredText_;
  bool measured_ = false;
  bool laidOut_ = false;
  std::unique_ptr<pdf417::Encoder> encoder_;
  std::optional<component::PictureSize> measuredSize_;
};

}  // namespace torv::tools
