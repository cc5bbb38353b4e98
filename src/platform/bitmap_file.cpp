// SPDX-License-Identifier: Apache-2.0
#include "platform/bitmap_file.h"

#include <new>

namespace torv::platform {
namespace {

constexpr std::size_t kFileHeaderSize = 14;

std::uint32_t readU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t readU16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::int32_t readS32(const unsigned char* p) { return static_cast<std::int32_t>(readU32(p)); }

bool isKnownInfoHeaderSize(std::uint32_t size) { return size == 40 || size == 108 || size == 124; }

}  // namespace

std::optional<BitmapFileLayout> readBitmapFileHeaders(const unsigned char* data, std::size_t size) {
  if (data == nullptr || size < kFileHeaderSize + 40) return std::nullopt;

  // File header.
  if (data[0] != 'B' || data[1] != 'M') return std::nullopt;
  const std::uint64_t fileSize = readU32(data + 2);
  if (readU16(data + 6) != 0 || readU16(data + 8) != 0) return std::nullopt;
  const std::uint64_t pixelOffset = readU32(data + 10);
  if (fileSize > size) return std::nullopt;

  // Information header.
  const unsigned char* info = data + kFileHeaderSize;
  const std::uint32_t infoSize = readU32(info);
  if (!isKnownInfoHeaderSize(infoSize) || kFileHeaderSize + infoSize > fileSize) return std::nullopt;
  const std::int32_t width = readS32(info + 4);
  const std::int32_t height = readS32(info + 8);
  const std::uint16_t planes = readU16(info + 12);
  const std::uint16_t bitsPerPixel = readU16(info + 14);
  const std::uint32_t compression = readU32(info + 16);
  const std::uint32_t imageSize = readU32(info + 20);
  const std::int32_t resolutionX = readS32(info + 24);
  const std::int32_t resolutionY = readS32(info + 28);
  const std::uint32_t coloursUsed = readU32(info + 32);
  const std::uint32_t coloursImportant = readU32(info + 36);

  if (width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;
  if (planes != 1 || bitsPerPixel != 1 || compression != 0) return std::nullopt;
  if (resolutionX < 0 || resolutionY < 0) return std::nullopt;
  if (coloursUsed > 2) return std::nullopt;
  const std::uint32_t paletteEntries = coloursUsed == 0 ? 2 : coloursUsed;
  if (coloursImportant > paletteEntries) return std::nullopt;

  const std::uint64_t rowCount = height < 0 ? -static_cast<std::int64_t>(height) : height;
  const std::uint64_t stride = ((static_cast<std::uint64_t>(width) + 31) / 32) * 4;
  const std::uint64_t pixelBytes = stride * rowCount;  // < 2^29 * 2^31, no wrap
  if (imageSize != 0 && imageSize < pixelBytes) return std::nullopt;

  const std::uint64_t paletteOffset = kFileHeaderSize + infoSize;
  const std::uint64_t paletteEnd = paletteOffset + 4ULL * paletteEntries;
  if (pixelOffset < paletteEnd || pixelOffset + pixelBytes > fileSize) return std::nullopt;

  BitmapFileLayout layout;
  layout.width = width;
  layout.height = static_cast<int>(rowCount);
  layout.topRowFirst = height < 0;
  layout.stride = static_cast<std::size_t>(stride);
  layout.pixelOffset = static_cast<std::size_t>(pixelOffset);
  for (std::uint32_t i = 0; i < 2; ++i) {
    if (i < paletteEntries) {
      const unsigned char* entry = data + paletteOffset + 4 * i;
      layout.palette[i] = {entry[0], entry[1], entry[2]};
    } else {
      layout.palette[i] = {0, 0, 0};
    }
  }
  return layout;
}

std::optional<MonochromeBitmap> decodeBitmapPixels(const unsigned char* data, const BitmapFileLayout& layout) {
  MonochromeBitmap bitmap;
  bitmap.width = layout.width;
  bitmap.height = layout.height;
  bitmap.stride = layout.stride;
  bitmap.palette = layout.palette;
  const std::size_t rowCount = static_cast<std::size_t>(layout.height);
  const unsigned char* pixels = data + layout.pixelOffset;
  try {
    bitmap.rows.reserve(layout.stride * rowCount);
    if (layout.topRowFirst) {
      bitmap.rows.assign(pixels, pixels + layout.stride * rowCount);
    } else {
      // Stored bottom-up; keep them top row first.
      for (std::size_t y = rowCount; y-- > 0;) {
        const unsigned char* row = pixels + y * layout.stride;
        bitmap.rows.insert(bitmap.rows.end(), row, row + layout.stride);
      }
    }
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return bitmap;
}

std::optional<MonochromeBitmap> decodeBitmapFile(const unsigned char* data, std::size_t size) {
  const std::optional<BitmapFileLayout> layout = readBitmapFileHeaders(data, size);
  if (!layout) return std::nullopt;
  return decodeBitmapPixels(data, *layout);
}

}  // namespace torv::platform
