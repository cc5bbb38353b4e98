// SPDX-License-Identifier: Apache-2.0
// Reads one-bit-per-pixel BMP images (with or without the 14-byte file header) for tests.
//
//   OneBitBmp bmp;
//   std::string why;
//   if (!readOneBitBmp(bytes.data(), bytes.size(), bmp, why)) FAIL() << why;
//   uint8_t v = bmp.gray[y * bmp.width + x];   // top row first, 0 = black, 255 = white
//
// The colour of each pixel comes from the file's own palette (index 0 or 1 -> its BGR entry); no
// palette order is assumed. Every header field is kept as read so tests can check exact values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torv::test {

struct OneBitBmp {
  bool hasFileHeader = false;
  // File header (zero when absent).
  std::uint32_t fileSize = 0;
  std::uint32_t pixelDataOffset = 0;
  // Information header, as stored.
  std::uint32_t infoHeaderSize = 0;
  std::int32_t width = 0;
  std::int32_t storedHeight = 0;  // negative means top-down storage
  std::uint16_t planes = 0;
  std::uint16_t bitsPerPixel = 0;
  std::uint32_t compression = 0;
  std::uint32_t imageSize = 0;
  std::int32_t xResolution = 0;
  std::int32_t yResolution = 0;
  std::uint32_t coloursUsed = 0;
  std::uint32_t coloursImportant = 0;
  // Palette entries in file order: blue, green, red, reserved.
  std::uint8_t palette[2][4] = {};

  int height = 0;                     // |storedHeight|
  std::size_t stride = 0;             // bytes per stored pixel row, a multiple of 4
  bool trailingBitsZero = true;       // bits past the last pixel of every row are 0
  std::vector<std::uint8_t> indices;  // palette index per pixel, top row first, width * height
  std::vector<std::uint8_t> gray;     // luminance per pixel from the palette, top row first
};

// Parses and validates a one-bit uncompressed BMP. The image starts with "BM" (file header) or
// directly with the 40-byte information header. Returns false and a reason when the data is not such
// an image or is inconsistent (truncated, wrong sizes or offsets, unsupported header fields).
bool readOneBitBmp(const std::uint8_t* data, std::size_t size, OneBitBmp& out, std::string& error);

}  // namespace torv::test
