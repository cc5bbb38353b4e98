// Writes a gray picture (0 black, 255 white, top row first) as a PNG or BMP file.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace torv::tools {

struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height
};

class ImageFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// format is "png" (8-bit gray) or "bmp" (24-bit, bottom-up). ImageFileError on any failure.
void writeImageFile(const GrayImage& image, const std::string& path, const std::string& format);

}  // namespace torv::tools
