// SPDX-License-Identifier: Apache-2.0
// pdf417-verify: reads a PNG or BMP picture with zxing-cpp and writes the bytes of the PDF417
// symbol in it to standard output. pdf417-encode --verify runs it as a separate process, so that a
// reader that fails on a bad picture takes only this process with it.
//
//   pdf417-verify FILE    exit 0: the payload written; 1: no symbol read; 2: the picture cannot be read
// zxing-cpp 1.4 asks for this before its text() changes type; only the bytes are used here.
#define ZX_USE_UTF8
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

std::uint32_t be(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

int paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// A PNG of grey, RGB or palette pixels at 1, 2, 4 or 8 bits (not interlaced), as grey; nothing for
// anything else. Read with zlib alone, like the commands write it.
std::optional<Grey> readPng(const std::string& bytes) {
  static const char kSignature[] = "\x89PNG\r\n\x1a\n";
  if (bytes.size() < 33 || bytes.compare(0, 8, kSignature, 8) != 0 || bytes.compare(12, 4, "IHDR") != 0) {
    return std::nullopt;
  }
  const std::uint32_t width = be(bytes, 16), height = be(bytes, 20);
  const int depth = static_cast<std::uint8_t>(bytes[24]), type = static_cast<std::uint8_t>(bytes[25]);
  const bool interlaced = bytes[28] != 0;
  const int channels = type == 2 ? 3 : 1;
  if (width == 0 || height == 0 || width > 1 << 16 || height > 1 << 16 || interlaced ||
      (type != 0 && type != 2 && type != 3) || (depth != 1 && depth != 2 && depth != 4 && depth != 8) ||
      (type == 2 && depth != 8)) {
    return std::nullopt;
  }
  std::string packed;
  std::vector<std::uint8_t> palette(3 * 256, 0);
  for (std::size_t at = 8; at + 12 <= bytes.size();) {
    const std::uint32_t length = be(bytes, at);
    if (length > bytes.size() - at - 12) return std::nullopt;
    const std::string kind = bytes.substr(at + 4, 4);
    if (kind == "IDAT") packed.append(bytes, at + 8, length);
    if (kind == "PLTE")
      std::copy_n(bytes.begin() + static_cast<long>(at + 8), std::min<std::uint32_t>(length, 768), palette.begin());
    if (kind == "IEND") break;
    at += 12 + length;
  }
  const std::size_t bitsPerPixel = static_cast<std::size_t>(depth) * channels;
  const std::size_t stride = (width * bitsPerPixel + 7) / 8, step = std::max<std::size_t>(1, bitsPerPixel / 8);
  std::vector<std::uint8_t> raw((stride + 1) * height);
  uLongf rawSize = static_cast<uLongf>(raw.size());
  if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(packed.data()),
                 static_cast<uLong>(packed.size())) != Z_OK ||
      rawSize != raw.size()) {
    return std::nullopt;
  }
  Grey grey{static_cast<int>(width), static_cast<int>(height), {}};
  grey.pixels.resize(static_cast<std::size_t>(width) * height);
  std::vector<std::uint8_t> previous(stride, 0), row(stride);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t filter = raw[y * (stride + 1)];
    const std::uint8_t* line = raw.data() + y * (stride + 1) + 1;
    for (std::size_t i = 0; i < stride; ++i) {
      const int left = i >= step ? row[i - step] : 0, up = previous[i], corner = i >= step ? previous[i - step] : 0;
      const int predicted = filter == 0   ? 0
                            : filter == 1 ? left
                            : filter == 2 ? up
                            : filter == 3 ? (left + up) / 2
                                          : paeth(left, up, corner);
      if (filter > 4) return std::nullopt;
      row[i] = static_cast<std::uint8_t>(line[i] + predicted);
    }
    for (std::uint32_t x = 0; x < width; ++x) {
      std::uint8_t value;
      if (depth == 8) {
        const std::uint8_t* p = row.data() + x * channels;
        value = type == 2   ? greyOf(p[0], p[1], p[2])
                : type == 3 ? greyOf(palette[3 * p[0]], palette[3 * p[0] + 1], palette[3 * p[0] + 2])
                            : p[0];
      } else {
        const std::size_t bit = static_cast<std::size_t>(x) * depth;
        const int sample = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
        value = type == 3 ? greyOf(palette[3 * sample], palette[3 * sample + 1], palette[3 * sample + 2])
                          : static_cast<std::uint8_t>(sample * 255 / ((1 << depth) - 1));
      }
      grey.pixels[static_cast<std::size_t>(y) * width + x] = value;
    }
    previous = row;
  }
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
