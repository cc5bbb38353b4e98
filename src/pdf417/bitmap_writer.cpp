// SPDX-License-Identifier: Apache-2.0
// The one-bit BMP file: headers, colour table, pixel rows bottom-up.
#include "pdf417/bitmap_writer.h"

#include <cstring>

#include "pdf417/memory_stream.h"

namespace torv::pdf417 {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoAndColoursSize = 48;

void putLe16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void putLe32(std::uint8_t* p, std::uint32_t v) {
  putLe16(p, v);
  putLe16(p + 2, v >> 16);
}

}  // namespace

BitmapGeometry bitmapGeometry(const Symbol& layout, unsigned moduleWidth) {
  BitmapGeometry g;
  g.moduleWidthPx = moduleWidth == 0 ? 1 : (moduleWidth > kMaxModuleWidth ? kMaxModuleWidth : moduleWidth);
  const std::uint32_t den = layout.rowHeightDen != 0 ? layout.rowHeightDen : 1;
  // Kept in full width: a tall ratio at a wide module must not wrap around.
  g.rowHeightPx = g.moduleWidthPx * layout.rowHeightNum / den;
  if (g.rowHeightPx == 0) g.rowHeightPx = 1;
  const std::uint32_t columns = layout.columns <= kMaxColumns ? layout.columns : kMaxColumns;
  g.width = symbolWidthModules(columns, layout.compact) * g.moduleWidthPx;
  g.height = (layout.rows <= kMaxRows ? layout.rows : kMaxRows) * g.rowHeightPx;
  g.stride = ((g.width + 7) / 8 + 3) / 4 * 4;
  return g;
}

std::uint32_t bitmapSize(const Symbol& symbol, const BitmapOptions& bitmap) {
  const BitmapGeometry g = bitmapGeometry(symbol, bitmap.moduleWidth);
  return g.stride * g.height + kInfoAndColoursSize + (bitmap.withFileHeader ? kFileHeaderSize : 0);
}

void renderPixelRows(const Symbol& symbol, const BitmapGeometry& g, std::uint8_t* rows) {
  const unsigned symbolRows = symbol.rows <= kMaxRows ? symbol.rows : kMaxRows;
  for (unsigned r = 0; r < symbolRows; ++r) {
    std::uint8_t* first = rows + static_cast<std::size_t>(r) * g.rowHeightPx * g.stride;
    renderPixelRow(symbol, r, g.moduleWidthPx, first, g.stride);
    for (std::uint32_t i = 1; i < g.rowHeightPx; ++i) std::memcpy(first + i * g.stride, first, g.stride);
  }
}

int writeBitmap(Pdf417Stream* stream, const Symbol& layout, const BitmapOptions& bitmap) {
  const BitmapGeometry g = bitmapGeometry(layout, bitmap.moduleWidth);
  const std::uint32_t imageSize = g.stride * g.height;
  // Refuse up front so that a buffer too small is left untouched.
  const std::uint32_t total = bitmapSize(layout, bitmap);
  if (!isOutputStream(stream) || stream->written > stream->capacity || stream->capacity - stream->written < total) {
    return PDF417_ERR_WRITER;
  }

  if (bitmap.withFileHeader) {
    std::uint8_t file[kFileHeaderSize] = {'B', 'M'};
    putLe32(file + 2, kFileHeaderSize + kInfoAndColoursSize + imageSize);
    putLe32(file + 10, kFileHeaderSize + kInfoAndColoursSize);
    if (!streamWrite(stream, file, sizeof file)) return PDF417_ERR_WRITER;
  }

  std::uint8_t info[kInfoAndColoursSize] = {};
  putLe32(info + 0, 40);
  putLe32(info + 4, g.width);
  putLe32(info + 8, g.height);  // positive: rows are stored bottom-up
  putLe16(info + 12, 1);
  putLe16(info + 14, 1);
  putLe32(info + 20, imageSize);
  putLe32(info + 36, 2);
  // Colour 0 black, colour 1 white (blue, green, red, reserved).
  info[44] = info[45] = info[46] = 255;
  if (!streamWrite(stream, info, sizeof info)) return PDF417_ERR_WRITER;

  // Room for the widest pixel row, rounded to whole 32-bit words.
  std::uint8_t rowBuffer[(kMaxRowBytes + 3) / 4 * 4];
  for (unsigned r = layout.rows; r-- > 0;) {
    renderPixelRow(layout, r, g.moduleWidthPx, rowBuffer, g.stride);
    for (std::uint32_t i = 0; i < g.rowHeightPx; ++i) {
      if (!streamWrite(stream, rowBuffer, g.stride)) return PDF417_ERR_WRITER;
    }
  }
  return 0;
}

}  // namespace torv::pdf417
