// SPDX-License-Identifier: Apache-2.0
#include "symbol_drawing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "pdf417/bitmap_writer.h"
#include "pdf417/encoder.h"
#include "symbol_modules.h"

namespace torv::tools {
namespace {

// At 128 dpi a host unit is one pixel, so paint at scale 1 copies the bitmap pixel for pixel.
constexpr int kOneToOneDpi = 128;

struct Surface {
  TorvDeviceContext context{};
  std::vector<unsigned char> pixels;

  Surface(int dpi, long long width, long long height) {
    context.dpiX = context.dpiY = dpi;
    context.width = static_cast<int>(width);
    context.height = static_cast<int>(height);
    context.stride = context.width * 4;
    pixels.assign(static_cast<std::size_t>(context.stride) * context.height, 0);
    context.pixels = pixels.data();
  }
  const unsigned char* at(int x, int y) const { return &pixels[static_cast<std::size_t>(y) * context.stride + 4 * x]; }
  bool drawn(int x, int y) const { return at(x, y)[3] == 255; }
  bool black(int x, int y) const { return drawn(x, y) && at(x, y)[0] == 0; }
};

}  // namespace

SymbolDrawing::SymbolDrawing(const Plugin& plugin, const DrawingSettings& settings)
    : plugin_(plugin), component_(plugin), settings_(settings) {
  useArrangement(settings.rows, settings.columns, settings.level);
  component_.set(u"PDF417_XSCALE", settings.xScale);
  component_.set(u"PDF417_YSCALE", settings.yScale);
}

void SymbolDrawing::useArrangement(int rows, int columns, int level) {
  component_.set(u"PDF417_ROWNUM", rows);
  component_.set(u"PDF417_COLNUM", columns);
  component_.set(u"PDF417_ECC", level);
}

bool SymbolDrawing::fits(const std::u16string& text, int rows, int columns, int level) {
  useArrangement(rows, columns, level);
  TorvDeviceContext measuring{kOneToOneDpi, kOneToOneDpi, 0, 0, 0, nullptr};
  float width = -1, height = -1;
  plugin_.getAutosize(component_.get(), &measuring, text.c_str(), &width, &height);
  useArrangement(settings_.rows, settings_.columns, settings_.level);
  return width >= 0 && height >= 0;
}

std::optional<component::PictureSize> SymbolDrawing::pictureSize(const std::u16string& text) {
  if (!measured_ || measuredText_ != text) {
    measured_ = false;
    if (!encoder_) encoder_ = std::make_unique<pdf417::Encoder>();
    laidOut_ = component::layOutSymbol(*component_.get(), text.c_str(), *encoder_);
    measuredSize_ = laidOut_ ? component::pictureSizeOf(*encoder_) : std::nullopt;
    measuredText_ = text;
    measured_ = true;
  }
  return measuredSize_;
}

std::optional<component::HostSize> SymbolDrawing::naturalSize(const std::u16string& text, int dpi) {
  if (plugin_.builtIn()) {
    const std::optional<component::PictureSize> size = pictureSize(text);
    if (!size) return std::nullopt;
    return component::naturalSize(size->widthHimetric, size->heightHimetric, dpi, dpi);
  }
  TorvDeviceContext measuring{dpi, dpi, 0, 0, 0, nullptr};
  float width = -1, height = -1;
  plugin_.getAutosize(component_.get(), &measuring, text.c_str(), &width, &height);
  if (width < 0 || height < 0) return std::nullopt;
  return component::HostSize{static_cast<int>(width), static_cast<int>(height)};
}

// The arrangement the encoder chooses depends on the row height ratio, so the modules are those of
// the user's own symbol: the built-in plug-in's symbol itself, where its bitmap is made of modules
// xscale pixels wide and rows xscale + yscale - 1 high, as the command lays them out; otherwise
// sampled from a painting.
std::optional<ModuleMatrix> SymbolDrawing::modules(const std::u16string& text) {
  const std::optional<component::HostSize> size = naturalSize(text, kOneToOneDpi);
  if (!size || size->width <= 0 || size->height <= 0) return std::nullopt;
  // At 128 dpi the size in host units is the bitmap's size in pixels.
  const int bitmapWidth = size->width, bitmapHeight = size->height;
  if (bitmapWidth % settings_.xScale != 0 || bitmapHeight % rowHeight() != 0) {
    throw PluginError("the plug-in's picture is not made of whole modules");
  }
  if (plugin_.builtIn() && laidOut_) {  // naturalSize measured this text
    const pdf417::Symbol& symbol = encoder_->symbol();
    const pdf417::BitmapGeometry pixels = pdf417::bitmapGeometry(symbol, encoder_->bitmap().moduleWidth);
    if (static_cast<int>(pixels.width) == bitmapWidth && static_cast<int>(pixels.height) == bitmapHeight &&
        static_cast<int>(pixels.moduleWidthPx) == settings_.xScale &&
        static_cast<int>(pixels.rowHeightPx) == rowHeight()) {
      return modulesOf(symbol);
    }
  }
  return sampledModules(text, bitmapWidth, bitmapHeight);
}

// Paints at a scale that leaves each module k pixels wide (k = 1 or 2) and each row at least 2
// pixels high, and samples inside every module and row.
std::optional<ModuleMatrix> SymbolDrawing::sampledModules(const std::u16string& text, int bitmapWidth,
                                                          int bitmapHeight) {
  ModuleMatrix matrix;
  matrix.columns = bitmapWidth / settings_.xScale;
  matrix.rows = bitmapHeight / rowHeight();
  const int perModule = rowHeight() >= 2 * settings_.xScale ? 1 : 2;
  // Slightly above k / xscale, so that truncation cannot lose the last module.
  const float scale = static_cast<float>(perModule * (1.0 + 1e-6) / settings_.xScale);
  const long long cx = static_cast<long long>(matrix.columns) * perModule;
  const long long cy = static_cast<long long>(static_cast<double>(bitmapHeight) * scale);
  Surface surface(kOneToOneDpi, cx + 1, cy + 1);
  plugin_.paint(component_.get(), &surface.context, text.c_str(), 0, 0, 0, 0, scale);
  if (!surface.drawn(static_cast<int>(cx - 1), static_cast<int>(cy - 1)) || surface.drawn(static_cast<int>(cx), 0) ||
      surface.drawn(0, static_cast<int>(cy))) {
    throw PluginError("the plug-in painted a picture of another size than it reported");
  }
  matrix.dark.resize(static_cast<std::size_t>(matrix.columns) * matrix.rows);
  for (int row = 0; row < matrix.rows; ++row) {
    const int y = static_cast<int>((2LL * row + 1) * cy / (2LL * matrix.rows));
    for (int column = 0; column < matrix.columns; ++column) {
      matrix.dark[static_cast<std::size_t>(row) * matrix.columns + column] = surface.black(column * perModule, y);
    }
  }
  return matrix;
}

long long SymbolDrawing::drawnRun(const std::u16string& text, int dpi, float scale, long long width, long long height) {
  Surface surface(dpi, width, height);
  if (settings_.print) {
    plugin_.print(component_.get(), &surface.context, text.c_str(), 0, 0, 0, 0, 1.0f, 0, 0);
  } else {
    plugin_.paint(component_.get(), &surface.context, text.c_str(), 0, 0, 0, 0, scale);
  }
  const bool along = height == 1;  // measuring the width on a surface one pixel high
  const long long length = along ? width : height;
  long long run = 0;
  while (run < length && surface.drawn(static_cast<int>(along ? run : 0), static_cast<int>(along ? 0 : run))) ++run;
  return run;
}

std::optional<DeviceSize> SymbolDrawing::deviceSize(const std::u16string& text, int dpi, float scale) {
  const std::optional<component::HostSize> natural = naturalSize(text, dpi);
  if (!natural) return DeviceSize{};
  // The built-in plug-in's paint and print cover the rectangle of symbol_geometry.h, wholly, when
  // both of its sides are positive.
  DeviceSize drawn;
  if (plugin_.builtIn()) {
    const component::PictureSize size = *pictureSize(text);  // naturalSize measured it
    const auto where =
        settings_.print ? component::printRectangle(size.widthHimetric, size.heightHimetric, dpi, dpi, 0, 0, 1.0f, 0, 0)
                        : component::paintRectangle(size.widthHimetric, size.heightHimetric, dpi, dpi, 0, 0, scale);
    if (where && where->cx > 0 && where->cy > 0) drawn = DeviceSize{where->cx, where->cy};
  }
  // paint covers the size in host units times scale; print the physical size, 96/72 of it.
  const double factor = settings_.print ? 96.0 / 72.0 : static_cast<double>(scale);
  DeviceSize size;
  for (long long* side : {&size.width, &size.height}) {
    const bool across = side == &size.width;
    const double estimate = static_cast<float>(across ? natural->width : natural->height) * factor;
    long long room = static_cast<long long>(std::ceil(estimate * 1.01)) + 4;
    for (;;) {
      if (room > kMaxPictureSide + 2) return std::nullopt;
      if (plugin_.builtIn()) {
        *side = std::min(across ? drawn.width : drawn.height, room);
      } else {
        *side = across ? drawnRun(text, dpi, scale, room, 1) : drawnRun(text, dpi, scale, 1, room);
      }
      if (*side < room) break;
      room *= 2;  // the drawing reached the surface's edge
    }
    if (*side > kMaxPictureSide) return std::nullopt;
  }
  return size;
}

}  // namespace torv::tools
