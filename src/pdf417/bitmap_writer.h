// SPDX-License-Identifier: Apache-2.0
// Drawing the symbol's module rows as packed one-bit pixel rows and writing the BMP file.
#pragma once

#include <cstdint>

#include "pdf417/options.h"
#include "pdf417/pdf417.h"
#include "pdf417/symbol.h"

namespace torv::pdf417 {

constexpr unsigned kMaxModuleWidth = 20;
// Widest pixel row: 30 columns at 20 pixels per module.
constexpr unsigned kMaxRowBytes = ((17 * kMaxColumns + 69) * kMaxModuleWidth + 7) / 8 + 3;

struct BitmapGeometry {
  std::uint32_t width = 0;        // pixels
  std::uint32_t height = 0;       // pixels
  std::uint32_t stride = 0;       // bytes per pixel row, a multiple of 4
  std::uint32_t rowHeightPx = 0;  // pixel rows per symbol row
  std::uint32_t moduleWidthPx = 0;
};

BitmapGeometry bitmapGeometry(const Symbol& symbol, unsigned moduleWidth);

// Exact size of the BMP that writeBitmap produces.
std::uint32_t bitmapSize(const Symbol& symbol, const BitmapOptions& bitmap);

// Draws symbol row r into out[0..stride): bars are 0 bits, spaces 1 bits, the leftmost
// pixel in the top bit; the bits and bytes after the last pixel are 0.
void renderPixelRow(const Symbol& symbol, unsigned r, unsigned moduleWidthPx, std::uint8_t* out, std::uint32_t stride);

// Draws the whole picture that writeBitmap stores, top pixel row first, into rows[0 ..
// stride * height) of the geometry: each symbol row once, repeated for its pixel rows.
void renderPixelRows(const Symbol& symbol, const BitmapGeometry& geometry, std::uint8_t* rows);

// Writes the BMP (file header when asked, info header, colour table, pixel rows bottom-up).
// Returns 0, or PDF417_ERR_WRITER when the stream refuses a block.
int writeBitmap(Pdf417Stream* stream, const Symbol& symbol, const BitmapOptions& bitmap);

}  // namespace torv::pdf417
