// SPDX-License-Identifier: Apache-2.0
// Builds one-bit BMP file images for the platform tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace torv::platform::testing {

// Offsets of the header fields in a file image.
enum Offset : std::size_t {
  kSignature = 0,
  kFileSize = 2,
  kReserved1 = 6,
  kReserved2 = 8,
  kPixelOffset = 10,
  kInfoSize = 14,
  kWidth = 18,
  kHeight = 22,
  kPlanes = 26,
  kBitsPerPixel = 28,
  kCompression = 30,
  kImageSize = 34,
  kResolutionX = 38,
  kResolutionY = 42,
  kColoursUsed = 46,
  kColoursImportant = 50,
  kPalette = 54,
};

inline void putU32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void putU16(std::vector<std::uint8_t>& file, std::size_t at, std::uint16_t value) {
  file[at] = static_cast<std::uint8_t>(value);
  file[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// A file image of the picture given as text rows, top row first: '#' black (palette entry 0),
// anything else white (entry 1). Stored bottom-up like the encoder's images, or top-down.
inline std::vector<std::uint8_t> makeBitmapFile(const std::vector<std::string>& picture, bool topDown = false) {
  const int height = static_cast<int>(picture.size());
  const int width = static_cast<int>(picture.front().size());
  const std::size_t stride = ((width + 31) / 32) * 4;
  std::vector<std::uint8_t> file(62 + stride * height, 0);
  file[0] = 'B';
  file[1] = 'M';
  putU32(file, kFileSize, static_cast<std::uint32_t>(file.size()));
  putU32(file, kPixelOffset, 62);
  putU32(file, kInfoSize, 40);
  putU32(file, kWidth, width);
  putU32(file, kHeight, static_cast<std::uint32_t>(topDown ? -height : height));
  putU16(file, kPlanes, 1);
  putU16(file, kBitsPerPixel, 1);
  putU32(file, kImageSize, static_cast<std::uint32_t>(stride * height));
  putU32(file, kColoursImportant, 2);
  // Palette: entry 0 black, entry 1 white.
  file[58] = file[59] = file[60] = 255;
  for (int y = 0; y < height; ++y) {
    const int stored = topDown ? y : height - 1 - y;
    for (int x = 0; x < width; ++x) {
      if (picture[y][x] != '#') file[62 + stored * stride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  }
  return file;
}

}  // namespace torv::platform::testing
