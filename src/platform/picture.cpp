// SPDX-License-Identifier: Apache-2.0
#include "platform/picture.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "platform/mul_div.h"
#include "platform/wide_integer.h"

namespace torv::platform {
namespace {

constexpr int kHimetricPerInch = 2540;
constexpr int kPixelsPerInch = 96;

using Wide = WideInteger;

// Maps device pixels along one axis to bitmap pixels. The device span starts at `start` and is
// `extent` pixels long (negative: mirrored); the source span starts at `sourceStart` HIMETRIC and
// is `sourceExtent` long, on a picture of `pictureHimetric` HIMETRIC and `picturePixels` pixels.
// Each device pixel samples the source at its centre; all in exact integer arithmetic, so a span
// that is k times the bitmap gives every bitmap pixel exactly k device pixels.
struct AxisMapping {
  long long start, extent;
  long long sourceStart, sourceExtent;
  long long pictureHimetric, picturePixels;

  // The bitmap pixels (in HIMETRIC direction, possibly outside the bitmap) of device pixels first,
  // first + 1, ...: floor(((2 sourceStart extent + (2 (p - start) + 1) sourceExtent) picturePixels) /
  // (2 extent pictureHimetric)), with one division to start and only additions after, since each
  // step adds the same amount to the numerator.
  class Walk {
   public:
    Walk(const AxisMapping& m, long long first) : denominator_(Wide{2} * m.extent * m.pictureHimetric) {
      Wide numerator =
          (Wide{2} * m.sourceStart * m.extent + Wide{2 * (first - m.start) + 1} * m.sourceExtent) * m.picturePixels;
      Wide step = Wide{2} * m.sourceExtent * m.picturePixels;
      if (denominator_ < Wide{0}) {
        numerator = -numerator;
        step = -step;
        denominator_ = -denominator_;
      }
      quotient_ = floorDivide(numerator, denominator_);
      remainder_ = numerator - quotient_ * denominator_;
      stepQuotient_ = floorDivide(step, denominator_);
      stepRemainder_ = step - stepQuotient_ * denominator_;
      // Pictures of any ordinary size step in 64 bits: remainders stay below the denominator, and
      // the quotient is a pixel index that every step moves by less than 2^32.
      const Wide limit{1LL << 61};
      narrow_ = denominator_ < limit && Wide{-limit} < quotient_ && quotient_ < limit &&
                Wide{-(1LL << 32)} < stepQuotient_ && stepQuotient_ < Wide{1LL << 32};
      if (narrow_) {
        small_ = {toLongLong(denominator_), toLongLong(quotient_), toLongLong(remainder_), toLongLong(stepQuotient_),
                  toLongLong(stepRemainder_)};
      }
    }
    long long pixel() const { return narrow_ ? small_.quotient : toLongLong(quotient_); }
    void next() {
      if (narrow_) {
        small_.quotient += small_.stepQuotient;
        small_.remainder += small_.stepRemainder;
        if (small_.remainder >= small_.denominator) {
          small_.remainder -= small_.denominator;
          ++small_.quotient;
        }
        return;
      }
      quotient_ = quotient_ + stepQuotient_;
      remainder_ = remainder_ + stepRemainder_;
      if (!(remainder_ < denominator_)) {
        remainder_ = remainder_ - denominator_;
        quotient_ = quotient_ + Wide{1};
      }
    }

   private:
    Wide denominator_, quotient_, remainder_, stepQuotient_, stepRemainder_;
    bool narrow_ = false;
    struct {
      long long denominator, quotient, remainder, stepQuotient, stepRemainder;
    } small_{};
  };

  // The device pixels [first, last) that the span covers, clipped to [0, limit).
  std::pair<long long, long long> clippedRange(long long limit) const {
    const long long low = std::min(start, start + extent);
    const long long high = std::max(start, start + extent);
    return {std::max(low, 0LL), std::min(high, limit)};
  }
};

// The device words of the 16 four-pixel patterns of a bitmap nibble, leftmost pixel first:
// palette[0] for a 0 bit, palette[1] for a 1.
struct NibbleWords {
  std::uint32_t words[16][4];
};
NibbleWords nibbleWords(const std::uint32_t palette[2]) {
  NibbleWords table;
  for (unsigned nibble = 0; nibble < 16; ++nibble) {
    for (unsigned k = 0; k < 4; ++k) table.words[nibble][k] = palette[(nibble >> (3 - k)) & 1u];
  }
  return table;
}

// The device words of a bitmap row of `stride` bytes, one per pixel (also for the padding bits
// after the last pixel), into words[0, 8 * stride): four pixels at a time, with no branch per
// pixel, which bars and spaces would mispredict.
void expandRow(const std::uint8_t* bits, std::size_t stride, const NibbleWords& table, std::uint32_t* words) {
  for (std::size_t b = 0; b < stride; ++b, words += 8) {
    std::memcpy(words, table.words[bits[b] >> 4], sizeof table.words[0]);
    std::memcpy(words + 4, table.words[bits[b] & 15u], sizeof table.words[0]);
  }
}

// out[i] = words[columns[i]] for the count device columns.
void gatherColumns(const std::uint32_t* words, const int* columns, std::size_t count, std::uint32_t* out) {
  for (std::size_t i = 0; i < count; ++i) out[i] = words[columns[i]];
}

}  // namespace

Picture::Picture(MonochromeBitmap bitmap, int widthHimetric, int heightHimetric)
    : bitmap_(std::move(bitmap)), widthHimetric_(widthHimetric), heightHimetric_(heightHimetric) {}

std::unique_ptr<Picture> Picture::load(const unsigned char* block, std::size_t size) {
  const std::optional<BitmapFileLayout> layout = readBitmapFileHeaders(block, size);
  if (!layout) return nullptr;
  // The caller keeps its block: copy the file up to the end of its pixels.
  const std::size_t used = layout->pixelOffset + layout->stride * static_cast<std::size_t>(layout->height);
  std::unique_ptr<unsigned char[]> copy(new (std::nothrow) unsigned char[used]);
  if (!copy) return nullptr;
  std::memcpy(copy.get(), block, used);
  return fromCheckedFile(std::move(copy), *layout);
}

std::unique_ptr<Picture> Picture::load(std::unique_ptr<unsigned char[]> block, std::size_t size) {
  const std::optional<BitmapFileLayout> layout = readBitmapFileHeaders(block.get(), size);
  if (!layout) return nullptr;
  return fromCheckedFile(std::move(block), *layout);
}

std::unique_ptr<Picture> Picture::fromPixels(MonochromeBitmap bitmap) {
  const int width = mulDiv(bitmap.width, kHimetricPerInch, kPixelsPerInch);
  const int height = mulDiv(bitmap.height, kHimetricPerInch, kPixelsPerInch);
  if (width <= 0 || height <= 0) return nullptr;
  return std::unique_ptr<Picture>(new (std::nothrow) Picture(std::move(bitmap), width, height));
}

std::optional<std::pair<int, int>> Picture::sizeOfPixels(int width, int height) {
  return std::make_pair(mulDiv(width, kHimetricPerInch, kPixelsPerInch),
                        mulDiv(height, kHimetricPerInch, kPixelsPerInch));
}

std::unique_ptr<Picture> Picture::fromCheckedFile(std::unique_ptr<unsigned char[]> file,
                                                  const BitmapFileLayout& layout) {
  const int width = mulDiv(layout.width, kHimetricPerInch, kPixelsPerInch);
  const int height = mulDiv(layout.height, kHimetricPerInch, kPixelsPerInch);
  if (width <= 0 || height <= 0) return nullptr;
  return std::unique_ptr<Picture>(new (std::nothrow) Picture(std::move(file), layout, width, height));
}

void Picture::render(DeviceContext dc, int x, int y, int cx, int cy, int sourceX, int sourceY, int sourceWidth,
                     int sourceHeight) const {
  if (!deviceHasSurface(dc) || cx == 0 || cy == 0 || sourceWidth == 0 || sourceHeight == 0) return;
  const MonochromeBitmap& bitmap = this->bitmap();

  const AxisMapping horizontal{x, cx, sourceX, sourceWidth, widthHimetric_, bitmap.width};
  // Vertically the source runs upward from the bottom edge, the device downward from the top.
  const AxisMapping vertical{y, cy, sourceY, sourceHeight, heightHimetric_, bitmap.height};
  const auto [firstColumn, endColumn] = horizontal.clippedRange(dc->width);
  const auto [firstRow, endRow] = vertical.clippedRange(dc->height);
  if (firstColumn >= endColumn || firstRow >= endRow) return;

  // Bitmap column of every device column drawn, -1 where the source lies outside the bitmap.
  std::vector<int> sourceColumns;
  try {
    sourceColumns.resize(static_cast<std::size_t>(endColumn - firstColumn));
  } catch (const std::bad_alloc&) {
    return;
  }
  bool everyColumnInside = true;
  AxisMapping::Walk columnWalk(horizontal, firstColumn);
  for (long long column = firstColumn; column < endColumn; ++column, columnWalk.next()) {
    const long long source = columnWalk.pixel();
    const bool inside = source >= 0 && source < bitmap.width;
    everyColumnInside = everyColumnInside && inside;
    sourceColumns[static_cast<std::size_t>(column - firstColumn)] = inside ? static_cast<int>(source) : -1;
  }

  const unsigned char colours[2][4] = {
      {bitmap.palette[0].blue, bitmap.palette[0].green, bitmap.palette[0].red, 255},
      {bitmap.palette[1].blue, bitmap.palette[1].green, bitmap.palette[1].red, 255},
  };
  if (!everyColumnInside) {
    AxisMapping::Walk rowWalk(vertical, firstRow);
    for (long long row = firstRow; row < endRow; ++row, rowWalk.next()) {
      const long long fromBottom = rowWalk.pixel();
      if (fromBottom < 0 || fromBottom >= bitmap.height) continue;
      unsigned char* out = deviceRow(dc, static_cast<int>(row)) + firstColumn * 4;
      const std::uint8_t* bits = bitmap.row(static_cast<int>(bitmap.height - 1 - fromBottom));
      for (std::size_t i = 0; i < sourceColumns.size(); ++i) {
        const int column = sourceColumns[i];
        if (column >= 0) std::memcpy(out + 4 * i, colours[bitmap.bit(bits, column)], 4);
      }
    }
    return;
  }

  // Every column shows the bitmap. A device row is drawn once and copied to the rows that repeat
  // it: rows repeat when stretched vertically, and a symbol's bitmap repeats each of its rows too.
  // The bitmap row is expanded to one device word per pixel; where the device columns show
  // consecutive bitmap columns (no horizontal stretch) those words are the device row itself.
  bool consecutive = true;
  for (std::size_t i = 1; i < sourceColumns.size(); ++i) {
    consecutive = consecutive && sourceColumns[i] == sourceColumns[i - 1] + 1;
  }
  std::vector<std::uint32_t> words;     // the bitmap row, 8 words per byte
  std::vector<std::uint32_t> gathered;  // the device row, where it is not a stretch of words
  try {
    words.resize(std::max(bitmap.stride * 8, static_cast<std::size_t>(bitmap.width)));
    if (!consecutive) gathered.resize(sourceColumns.size());
  } catch (const std::bad_alloc&) {
    return;
  }
  std::uint32_t palette[2];
  std::memcpy(&palette[0], colours[0], 4);
  std::memcpy(&palette[1], colours[1], 4);
  const NibbleWords table = nibbleWords(palette);
  const std::uint32_t* drawn = consecutive ? words.data() + sourceColumns[0] : gathered.data();
  const std::size_t rowBytes = sourceColumns.size() * 4;
  const std::uint8_t* previousBits = nullptr;
  AxisMapping::Walk rowWalk(vertical, firstRow);
  for (long long row = firstRow; row < endRow; ++row, rowWalk.next()) {
    const long long fromBottom = rowWalk.pixel();
    if (fromBottom < 0 || fromBottom >= bitmap.height) {
      previousBits = nullptr;
      continue;
    }
    const std::uint8_t* bits = bitmap.row(static_cast<int>(bitmap.height - 1 - fromBottom));
    if (previousBits == nullptr || (bits != previousBits && std::memcmp(bits, previousBits, bitmap.stride) != 0)) {
      expandRow(bits, bitmap.stride, table, words.data());
      if (!consecutive) gatherColumns(words.data(), sourceColumns.data(), sourceColumns.size(), gathered.data());
      previousBits = bits;
    }
    std::memcpy(deviceRow(dc, static_cast<int>(row)) + firstColumn * 4, drawn, rowBytes);
  }
}

}  // namespace torv::platform
