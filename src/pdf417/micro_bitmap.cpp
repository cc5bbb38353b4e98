// SPDX-License-Identifier: Apache-2.0
// The Micro symbol's one-bit BMP: the same file as the PDF417 writer's, drawn from Micro module rows.
#include <algorithm>

#include "pdf417/bitmap_writer.h"
#include "pdf417/micro_encoder.h"

namespace torv::pdf417 {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoAndColoursSize = 48;

void putLe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

BitmapGeometry microGeometry(const MicroSymbol& symbol, unsigned moduleWidth) {
  BitmapGeometry g;
  g.moduleWidthPx = moduleWidth == 0 ? 1 : (moduleWidth > kMaxModuleWidth ? kMaxModuleWidth : moduleWidth);
  const std::uint32_t den = symbol.rowHeightDen != 0 ? symbol.rowHeightDen : 1;
  g.rowHeightPx = g.moduleWidthPx * symbol.rowHeightNum / den;
  if (g.rowHeightPx == 0) g.rowHeightPx = 1;
  g.width = symbol.widthModules() * g.moduleWidthPx;
  g.height = symbol.rows * g.rowHeightPx;
  g.stride = ((g.width + 7) / 8 + 3) / 4 * 4;
  return g;
}

}  // namespace

std::uint32_t microBitmapSize(const MicroSymbol& symbol, const BitmapOptions& bitmap) {
  const BitmapGeometry g = microGeometry(symbol, bitmap.moduleWidth);
  return g.stride * g.height + kInfoAndColoursSize + (bitmap.withFileHeader ? kFileHeaderSize : 0);
}

void writeMicroBitmap(std::vector<std::uint8_t>& image, const MicroSymbol& symbol, const BitmapOptions& bitmap) {
  const BitmapGeometry g = microGeometry(symbol, bitmap.moduleWidth);
  const std::uint32_t imageSize = g.stride * g.height;
  image.assign(microBitmapSize(symbol, bitmap), 0);
  std::uint8_t* p = image.data();
  if (bitmap.withFileHeader) {
    p[0] = 'B';
    p[1] = 'M';
    putLe32(p + 2, kFileHeaderSize + kInfoAndColoursSize + imageSize);
    putLe32(p + 10, kFileHeaderSize + kInfoAndColoursSize);
    p += kFileHeaderSize;
  }
  putLe32(p + 0, 40);
  putLe32(p + 4, g.width);
  putLe32(p + 8, g.height);  // positive: rows are stored bottom-up
  p[12] = 1;                 // planes
  p[14] = 1;                 // bits per pixel
  putLe32(p + 20, imageSize);
  putLe32(p + 36, 2);
  p[44] = p[45] = p[46] = 255;  // colour 0 black, colour 1 white
  p += kInfoAndColoursSize;
  for (unsigned r = symbol.rows; r-- > 0;) {
    renderMicroPixelRow(symbol, r, g.moduleWidthPx, p, g.stride);
    for (std::uint32_t i = 1; i < g.rowHeightPx; ++i) std::copy(p, p + g.stride, p + i * g.stride);
    p += g.rowHeightPx * g.stride;
  }
}

}  // namespace torv::pdf417
