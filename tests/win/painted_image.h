// SPDX-License-Identifier: Apache-2.0
// Painted pixels kept as a 24-bit BMP file, so that a picture painted on one platform can be
// compared with and read back on another.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace torv::test {

struct PaintedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;  // 3 bytes per pixel (blue, green, red), top row first

  const std::uint8_t* pixel(int x, int y) const {
    return &bgr[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
  }
  // Luminance per pixel, top row first: what a scanner sees.
  std::vector<std::uint8_t> gray() const;
};

bool writePaintedImage(const std::string& path, const PaintedImage& image);

// The image in a file that writePaintedImage wrote (bottom-up, 24 bits, uncompressed), or nothing.
std::optional<PaintedImage> readPaintedImage(const std::string& path);

}  // namespace torv::test
