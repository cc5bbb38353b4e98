// SPDX-License-Identifier: Apache-2.0
#include "painted_image.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace torv::test {
namespace {

constexpr std::size_t kHeadersSize = 14 + 40;

void put16(std::vector<std::uint8_t>& out, std::size_t at, unsigned value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t get32(const std::vector<std::uint8_t>& in, std::size_t at) {
  return in[at] | (in[at + 1] << 8) | (in[at + 2] << 16) | (std::uint32_t{in[at + 3]} << 24);
}

std::size_t rowStride(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

}  // namespace

std::vector<std::uint8_t> PaintedImage::gray() const {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::uint8_t* p = &bgr[i * 3];
    out[i] = static_cast<std::uint8_t>((p[0] * 29 + p[1] * 150 + p[2] * 77) >> 8);
  }
  return out;
}

bool writePaintedImage(const std::string& path, const PaintedImage& image) {
  const std::size_t stride = rowStride(image.width);
  std::vector<std::uint8_t> file(kHeadersSize + stride * image.height, 0);
  file[0] = 'B';
  file[1] = 'M';
  put32(file, 2, static_cast<std::uint32_t>(file.size()));
  put32(file, 10, kHeadersSize);
  put32(file, 14, 40);
  put32(file, 18, static_cast<std::uint32_t>(image.width));
  put32(file, 22, static_cast<std::uint32_t>(image.height));
  put16(file, 26, 1);
  put16(file, 28, 24);
  put32(file, 34, static_cast<std::uint32_t>(stride * image.height));
  for (int y = 0; y < image.height; ++y) {
    std::uint8_t* row = &file[kHeadersSize + stride * static_cast<std::size_t>(image.height - 1 - y)];
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.pixel(x, y);
      row[3 * x] = p[0];
      row[3 * x + 1] = p[1];
      row[3 * x + 2] = p[2];
    }
  }
  File out(std::fopen(path.c_str(), "wb"), std::fclose);
  return out && std::fwrite(file.data(), 1, file.size(), out.get()) == file.size();
}

std::optional<PaintedImage> readPaintedImage(const std::string& path) {
  File in(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> file;
  std::uint8_t chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, in.get())) > 0) file.insert(file.end(), chunk, chunk + got);
  if (file.size() < kHeadersSize || file[0] != 'B' || file[1] != 'M' || get32(file, 10) != kHeadersSize ||
      get32(file, 14) != 40 || (file[28] | (file[29] << 8)) != 24 || get32(file, 30) != 0) {
    return std::nullopt;
  }
  PaintedImage image;
  image.width = static_cast<int>(get32(file, 18));
  image.height = static_cast<int>(get32(file, 22));
  if (image.width <= 0 || image.height <= 0 || image.width > 100000 || image.height > 100000) return std::nullopt;
  const std::size_t stride = rowStride(image.width);
  if (file.size() < kHeadersSize + stride * image.height) return std::nullopt;
  image.bgr.resize(static_cast<std::size_t>(image.width) * image.height * 3);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* row = &file[kHeadersSize + stride * static_cast<std::size_t>(image.height - 1 - y)];
    std::copy(row, row + 3 * static_cast<std::size_t>(image.width),
              &image.bgr[static_cast<std::size_t>(y) * image.width * 3]);
  }
  return image;
}

}  // namespace torv::test
