// SPDX-License-Identifier: Apache-2.0
// Writes the device picture of a symbol as PNG (1 bit per pixel), BMP (1 bit per pixel), SVG, EPS
// or PDF, one pixel row at a time, so memory stays proportional to one row whatever the picture's
// size (PDF, whose stream length comes first: the drawing compressed in memory, then written).
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "symbol_layout.h"

namespace torv::tools {

// An sRGB colour.
struct Colour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  bool operator==(const Colour& other) const { return red == other.red && green == other.green && blue == other.blue; }
  bool operator!=(const Colour& other) const { return !(*this == other); }
};

constexpr Colour kBlack{0, 0, 0};
constexpr Colour kWhite{255, 255, 255};

struct Picture {
  const ModuleMatrix& matrix;
  const DeviceLayout& layout;
  int dpi;                // resolution of the device pixels, written into PNG and BMP headers (0: none)
  bool physicalSize;      // SVG, EPS, PDF: width and height in mm at dpi rather than in pixels
  Colour bars = kBlack;   // the dark modules
  Colour space = kWhite;  // the light modules and the quiet zone
  // Black on white: PNG stays greyscale; other colours make it a two-colour palette.
  bool blackOnWhite() const { return bars == kBlack && space == kWhite; }
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
  int packedModuleRow_ = -2;               // -1: a blank row of the quiet zone
  unsigned moduleWidth_ = 0;               // pixels of every module column, where they are all alike (up to 32)
  std::array<std::uint32_t, 16> quads_{};  // up to 8 pixels a module: the pixels of four modules
  bool repeated_ = false;
};

// format is "png", "bmp", "svg", "eps" or "pdf"; PictureFileError when the picture cannot be written.
void writePicture(const Picture& picture, const std::string& format, std::FILE* out, const std::string& name);

void writePng(const Picture& picture, std::FILE* out, const std::string& name);
void writeBmp(const Picture& picture, std::FILE* out, const std::string& name);
void writeSvg(const Picture& picture, std::FILE* out, const std::string& name);
void writeEps(const Picture& picture, std::FILE* out, const std::string& name);
void writePdf(const Picture& picture, std::FILE* out, const std::string& name);

// The runs of dark modules of a module row as device rectangles (x, width); y and height are the
// row's. Rows of no height have none. Shared by the vector formats.
struct DarkRun {
  int x;
  int width;
};
void forEachDarkRun(const Picture& picture, int row, const std::function<void(DarkRun)>& visit);

// The size of a vector picture in points (1/72 inch): at dpi when it has a physical size, else
// one pixel per CSS pixel (1/96 inch), as an SVG without a size shows.
double pointsPerPixel(const Picture& picture);

}  // namespace torv::tools
