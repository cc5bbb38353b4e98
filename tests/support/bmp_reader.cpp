// SPDX-License-Identifier: Apache-2.0
#include "bmp_reader.h"

#include <cstdlib>

namespace torv::test {
namespace {

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool fail(std::string& error, const std::string& why) {
  error = why;
  return false;
}

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kPaletteSize = 8;

}  // namespace

bool readOneBitBmp(const std::uint8_t* data, std::size_t size, OneBitBmp& out, std::string& error) {
  out = OneBitBmp{};
  if (data == nullptr) return fail(error, "no data");
  std::size_t pos = 0;
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
    if (size < kFileHeaderSize) return fail(error, "truncated file header");
    out.hasFileHeader = true;
    out.fileSize = le32(data + 2);
    if (le16(data + 6) != 0 || le16(data + 8) != 0) return fail(error, "reserved file header fields not zero");
    out.pixelDataOffset = le32(data + 10);
    if (out.fileSize != size) {
      return fail(error,
                  "file size field " + std::to_string(out.fileSize) + " but " + std::to_string(size) + " bytes given");
    }
    pos = kFileHeaderSize;
  }
  if (size - pos < kInfoHeaderSize + kPaletteSize) return fail(error, "truncated information header or palette");
  const std::uint8_t* h = data + pos;
  out.infoHeaderSize = le32(h);
  out.width = static_cast<std::int32_t>(le32(h + 4));
  out.storedHeight = static_cast<std::int32_t>(le32(h + 8));
  out.planes = le16(h + 12);
  out.bitsPerPixel = le16(h + 14);
  out.compression = le32(h + 16);
  out.imageSize = le32(h + 20);
  out.xResolution = static_cast<std::int32_t>(le32(h + 24));
  out.yResolution = static_cast<std::int32_t>(le32(h + 28));
  out.coloursUsed = le32(h + 32);
  out.coloursImportant = le32(h + 36);
  if (out.infoHeaderSize != kInfoHeaderSize) return fail(error, "information header size is not 40");
  if (out.planes != 1) return fail(error, "planes is not 1");
  if (out.bitsPerPixel != 1) return fail(error, "not one bit per pixel");
  if (out.compression != 0) return fail(error, "compressed image");
  if (out.coloursUsed > 2) return fail(error, "more than two palette entries");
  if (out.width <= 0 || out.storedHeight == 0 || out.storedHeight == INT32_MIN) return fail(error, "empty image");
  if (out.width > 1000000 || std::abs(out.storedHeight) > 1000000) return fail(error, "implausible image size");
  pos += kInfoHeaderSize;
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 4; ++j) out.palette[i][j] = data[pos + 4 * i + j];
  pos += kPaletteSize;

  out.height = std::abs(out.storedHeight);
  out.stride = ((static_cast<std::size_t>(out.width) + 31) / 32) * 4;
  const std::size_t pixelBytes = out.stride * static_cast<std::size_t>(out.height);
  if (out.imageSize != 0 && out.imageSize != pixelBytes) {
    return fail(error,
                "image size field " + std::to_string(out.imageSize) + ", expected " + std::to_string(pixelBytes));
  }
  if (out.hasFileHeader && out.pixelDataOffset != pos) {
    return fail(error,
                "pixel data offset " + std::to_string(out.pixelDataOffset) + ", expected " + std::to_string(pos));
  }
  if (size - pos != pixelBytes) {
    return fail(error, std::to_string(size - pos) + " bytes of pixel data, expected " + std::to_string(pixelBytes));
  }

  std::uint8_t lum[2];
  for (int i = 0; i < 2; ++i) {
    const unsigned b = out.palette[i][0], g = out.palette[i][1], r = out.palette[i][2];
    lum[i] = static_cast<std::uint8_t>((299 * r + 587 * g + 114 * b + 500) / 1000);
  }
  const std::size_t w = static_cast<std::size_t>(out.width);
  out.indices.resize(w * static_cast<std::size_t>(out.height));
  out.gray.resize(out.indices.size());
  const bool bottomUp = out.storedHeight > 0;
  for (int y = 0; y < out.height; ++y) {
    const int stored = bottomUp ? out.height - 1 - y : y;
    const std::uint8_t* row = data + pos + static_cast<std::size_t>(stored) * out.stride;
    for (std::size_t x = 0; x < w; ++x) {
      const std::uint8_t index = (row[x / 8] >> (7 - x % 8)) & 1;
      out.indices[static_cast<std::size_t>(y) * w + x] = index;
      out.gray[static_cast<std::size_t>(y) * w + x] = lum[index];
    }
    for (std::size_t x = w; x < out.stride * 8; ++x) {
      if ((row[x / 8] >> (7 - x % 8)) & 1) out.trailingBitsZero = false;
    }
  }
  return true;
}

}  // namespace torv::test
