#include "platform/bitmap_file.h"

#include <cstring>
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

std::optional<MonochromeBitmap> decodeBitmapFile(const unsigned char* data, std::size_t size) {
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

  MonochromeBitmap bitmap;
  bitmap.width = width;
  bitmap.height = static_cast<int>(rowCount);
  bitmap.stride = static_cast<std::size_t>(stride);
  for (std::uint32_t i = 0; i < 2; ++i) {
    if (i < paletteEntries) {
      const unsigned char* entry = data + paletteOffset + 4 * i;
      bitmap.palette[i] = {entry[0], entry[1], entry[2]};
    } else {
      bitmap.palette[i] = {0, 0, 0};
    }
  }

  try {
    bitmap.rows.resize(static_cast<std::size_t>(pixelBytes));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  // Stored bottom-up unless the height is negative; keep them top row first.
  const unsigned char* pixels = data + pixelOffset;
  for (std::uint64_t y = 0; y < rowCount; ++y) {
    const std::uint64_t storedRow = height > 0 ? rowCount - 1 - y : y;
    std::memcpy(bitmap.rows.data() + y * stride, pixels + storedRow * stride, static_cast<std::size_t>(stride));
  }
  return bitmap;
}

}  // namespace torv::platform
