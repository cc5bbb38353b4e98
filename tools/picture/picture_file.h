// SPDX-License-Identifier: Apache-2.0
// Writes the device picture of a symbol as PNG (1 bit per pixel), BMP (1 bit per pixel) or SVG,
// one pixel row at a time, so memory stays proportional to one row whatever the picture's size.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "symbol_layout.h"

namespace torv::tools {

struct Picture {
  const ModuleMatrix& matrix;
  const DeviceLayout& layout;
  int dpi;            // resolution of the device pixels, written into PNG and BMP headers (0: none)
  bool physicalSize;  // SVG: give width and height in mm at dpi rather than in pixels
};

class PictureFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One device row at a time, one bit per pixel, most significant bit first, 1 for white.
class RowPacker {
 public:
  explicit RowPacker(const Picture& picture);
  std::size_t bytesPerRow() const { return bits_.size(); }
  // Row y (0 = top). Rows that show the same module row as the previous call are not repacked.
  const std::vector<std::uint8_t>& row(long long y);
  // Whether the last row() returned the same pixels as the call before it.
  bool repeated() const { return repeated_; }

 private:
  const Picture& picture_;
  std::vector<std::uint8_t> bits_;
  int packedModuleRow_ = -2;  // -1: a blank row of the quiet zone
  bool repeated_ = false;
};

// format is "png", "bmp" or "svg"; PictureFileError when the picture cannot be written.
void writePicture(const Picture& picture, const std::string& format, std::FILE* out, const std::string& name);

void writePng(const Picture& picture, std::FILE* out, const std::string& name);
void writeBmp(const Picture& picture, std::FILE* out, const std::string& name);
void writeSvg(const Picture& picture, std::FILE* out, const std::string& name);

}  // namespace torv::tools
