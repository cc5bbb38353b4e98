// SPDX-License-Identifier: Apache-2.0
// pdf417-verify: reads a PNG or BMP picture with zxing-cpp and writes the bytes of the PDF417
// symbol in it to standard output. pdf417-encode --verify runs it as a separate process, so that a
// reader that fails on a bad picture takes only this process with it.
//
//   pdf417-verify FILE    exit 0: the payload written; 1: no symbol read; 2: the picture cannot be read
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <ZXing/ReadBarcode.h>

namespace {

// A picture as 8-bit grey, top row first.
struct Grey {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

std::uint8_t greyOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<std::uint8_t>((299 * red + 587 * green + 114 * blue + 500) / 1000);
}

std::uint32_t le(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size; i-- > 0;) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

// A one-bit BMP, with or without its file header; nothing for anything else.
std::optional<Grey> readBmp(const std::string& bytes) {
  const std::size_t info = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M' ? 14 : 0;
  if (bytes.size() < info + 48 || le(bytes, info, 4) != 40) return std::nullopt;
  const auto width = static_cast<std::int32_t>(le(bytes, info + 4, 4));
  const auto rawHeight = static_cast<std::int32_t>(le(bytes, info + 8, 4));
  if (le(bytes, info + 14, 2) != 1 || le(bytes, info + 16, 4) != 0 || width <= 0 || width > 1 << 16 || rawHeight == 0 ||
      rawHeight > 1 << 16 || rawHeight < -(1 << 16)) {
    return std::nullopt;
  }
  const std::uint32_t colours = le(bytes, info + 32, 4) == 0 ? 2 : le(bytes, info + 32, 4);
  if (colours > 2) return std::nullopt;
  const std::size_t palette = info + 40;
  const std::size_t pixels = info == 14 ? le(bytes, 10, 4) : palette + 4 * colours;
  const int height = rawHeight < 0 ? -rawHeight : rawHeight;
  const std::size_t stride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
  if (palette + 8 > bytes.size() || pixels + stride * height > bytes.size()) return std::nullopt;
  std::uint8_t shade[2];
  for (int i = 0; i < 2; ++i) {
    const std::size_t at = palette + 4 * i;
    shade[i] = greyOf(static_cast<std::uint8_t>(bytes[at + 2]), static_cast<std::uint8_t>(bytes[at + 1]),
                      static_cast<std::uint8_t>(bytes[at]));
  }
  Grey grey{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height)};
  for (int y = 0; y < height; ++y) {
    const std::size_t row = pixels + stride * static_cast<std::size_t>(rawHeight < 0 ? y : height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const int bit = (static_cast<std::uint8_t>(bytes[row + x / 8]) >> (7 - x % 8)) & 1;
      grey.pixels[static_cast<std::size_t>(y) * width + x] = shade[bit];
    }
  }
  return grey;
}

// Any PNG, through libpng, as grey.
std::optional<Grey> readPng(const std::string& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) == 0) return std::nullopt;
  image.format = PNG_FORMAT_RGB;
  if (image.width > 1 << 16 || image.height > 1 << 16) {
    png_image_free(&image);
    return std::nullopt;
  }
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) return std::nullopt;
  Grey grey{static_cast<int>(image.width), static_cast<int>(image.height), {}};
  grey.pixels.resize(static_cast<std::size_t>(grey.width) * grey.height);
  for (std::size_t i = 0; i < grey.pixels.size(); ++i)
    grey.pixels[i] = greyOf(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
  return grey;
}

// The picture `factor` times as large, each pixel a square of equal pixels.
Grey enlarged(const Grey& picture, int factor) {
  Grey out{picture.width * factor, picture.height * factor, {}};
  out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      out.pixels[static_cast<std::size_t>(y) * out.width + x] =
          picture.pixels[static_cast<std::size_t>(y / factor) * picture.width + x / factor];
    }
  }
  return out;
}

std::optional<std::vector<std::uint8_t>> read(const Grey& picture) {
  const ZXing::ImageView view(picture.pixels.data(), picture.width, picture.height, ZXing::ImageFormat::Lum);
  ZXing::DecodeHints hints;
  hints.setFormats(ZXing::BarcodeFormat::PDF417);
  hints.setTryHarder(true);
  hints.setTryRotate(true);
  const ZXing::Result result = ZXing::ReadBarcode(view, hints);
  if (!result.isValid()) return std::nullopt;
  return std::vector<std::uint8_t>(result.bytes().begin(), result.bytes().end());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pdf417-verify PICTURE (PNG or BMP)\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file && !file.eof()) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  std::optional<Grey> picture = readPng(bytes);
  if (!picture) picture = readBmp(bytes);
  if (!picture) {
    std::fprintf(stderr, "%s is not a PNG or one-bit BMP picture\n", argv[1]);
    return 2;
  }
  // A picture drawn with one-pixel modules is what a printer makes larger: the reader, which
  // needs a few pixels a module, sees it at whole magnifications too.
  for (int factor = 1; factor <= 4; ++factor) {
    if (factor > 1 && static_cast<long long>(picture->width) * picture->height * factor * factor > (1LL << 26)) break;
    if (const auto payload = read(factor == 1 ? *picture : enlarged(*picture, factor))) {
      if (!payload->empty() && std::fwrite(payload->data(), 1, payload->size(), stdout) != payload->size()) return 2;
      return std::fflush(stdout) == 0 ? 0 : 2;
    }
  }
  std::fprintf(stderr, "no PDF417 symbol read\n");
  return 1;
}
