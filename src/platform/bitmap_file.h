// SPDX-License-Identifier: Apache-2.0
// Reads a one-bit BMP file image from memory, checking every header field.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace torv::platform {

// A decoded monochrome bitmap: rows top row first, packed 8 pixels to a byte, leftmost pixel in
// the most significant bit; a bit selects one of the two palette colours.
struct MonochromeBitmap {
  struct Colour {
    std::uint8_t blue, green, red;
  };

  int width = 0;
  int height = 0;
  std::size_t stride = 0;  // bytes per row, as stored in the file
  std::array<Colour, 2> palette{};
  std::vector<std::uint8_t> rows;

  const std::uint8_t* row(int y) const { return rows.data() + static_cast<std::size_t>(y) * stride; }
  int bit(const std::uint8_t* row, int x) const { return (row[x >> 3] >> (7 - (x & 7))) & 1; }
};

// Where the pixels of a checked file lie and how to read them; the palette is already read.
struct BitmapFileLayout {
  int width = 0;
  int height = 0;            // rows, whatever the sign in the file
  bool topRowFirst = false;  // a negative height in the file
  std::size_t stride = 0;
  std::size_t pixelOffset = 0;
  std::array<MonochromeBitmap::Colour, 2> palette{};
};

// Checks every header field of the file image (as decodeBitmapFile does) without touching the
// pixels: the layout, or nothing when decodeBitmapFile would refuse the file.
std::optional<BitmapFileLayout> readBitmapFileHeaders(const unsigned char* data, std::size_t size);

// The pixels of a file that readBitmapFileHeaders accepted with this layout, top row first, or
// nothing when memory runs out.
std::optional<MonochromeBitmap> decodeBitmapPixels(const unsigned char* data, const BitmapFileLayout& layout);

// The bitmap in the first size bytes of data, or nothing when anything in it is malformed,
// inconsistent, runs past size, or is not an uncompressed one-bit image. Accepted: the 14-byte
// file header ("BM", file size within the data, reserved fields 0, pixel offset after the
// palette), an information header of 40, 108 or 124 bytes with one plane, 1 bit per pixel, no
// compression, positive width, nonzero height (negative: top row first), and 0 to 2 palette
// entries (0 meaning 2; a missing entry reads as black).
std::optional<MonochromeBitmap> decodeBitmapFile(const unsigned char* data, std::size_t size);

}  // namespace torv::platform
