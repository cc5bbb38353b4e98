// SPDX-License-Identifier: Apache-2.0
#include "component/symbol_picture.h"

#include <charconv>
#include <new>

#include "pdf417/bitmap_writer.h"
#include "pdf417/option_rules.h"
#include "platform/process_code_page.h"

namespace torv::component {

using namespace torv::pdf417;

namespace {

// Longer texts cannot be encoded anyway; they skip straight to the measured conversion.
constexpr std::size_t kMaxOneShotUnits = 1u << 20;

}  // namespace

EncoderSettings optionsFor(const TorvPdf417Comp& instance) {
  EncoderSettings s;
  applyEccLevel(s.options, low16(instance.eccLevel));  // above 8: the automatic level stays
  const int rows = low16(instance.rows);
  const int columns = low16(instance.columns);
  // Neither given: bounded within 90 x 30 at the reset aspect 1:2.
  if (rows != 0 || columns != 0) {
    applySizingMode(s.options, SIZING_FIXED);
    applyRowsColumns(s.options, rows, columns);  // refused: 58 rows of 16 columns stay
  }
  applyRowHeightRatio(s.options, rowHeightRatioText(instance.xScale, instance.yScale).c_str());
  applyBitmapWriter(s.bitmap, low16(instance.xScale), true);
  return s;
}

std::optional<std::string> dataBytes(const char16_t* text) {
  const char16_t* source = text != nullptr ? text : u"";
  std::size_t units = 1;  // the terminator is converted too
  while (source[units - 1] != 0) ++units;
  // One conversion into room for any ANSI code page (at most 3 bytes per unit, as in UTF-8); the
  // measuring pass is needed only when that does not hold the text.
  std::string bytes;
  try {
    if (units <= kMaxOneShotUnits) {
      bytes.resize(units * 3);
      const int produced =
          platform::utf16ToProcessAnsi(source, static_cast<int>(units), bytes.data(), static_cast<int>(bytes.size()));
      if (produced > 0) {
        bytes.resize(static_cast<std::size_t>(produced) - 1);
        return bytes;
      }
    }
    const int needed = platform::utf16ToProcessAnsi(source, -1, nullptr, 0);
    if (needed <= 0) return std::nullopt;
    bytes.resize(static_cast<std::size_t>(needed));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  if (platform::utf16ToProcessAnsi(source, -1, bytes.data(), static_cast<int>(bytes.size())) !=
      static_cast<int>(bytes.size())) {
    return std::nullopt;
  }
  bytes.pop_back();
  return bytes;
}

std::string rowHeightRatioText(std::int32_t xScale, std::int32_t yScale) {
  const auto height =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(xScale) + static_cast<std::uint32_t>(yScale) - 1u);
  // to_chars writes what "%d:%d" would, without the cost of a format parser on every call.
  char text[24];
  char* end = std::to_chars(text, text + 11, height).ptr;
  *end++ = ':';
  end = std::to_chars(end, text + sizeof text, xScale).ptr;
  return std::string(text, end);
}

bool layOutSymbol(const TorvPdf417Comp& instance, const char16_t* text, Encoder& encoder) {
  const EncoderSettings settings = optionsFor(instance);
  const std::optional<std::string> bytes = dataBytes(text);
  if (!settings.bitmap.installed || !bytes || bytes->size() > PDF417_MAX_DATA_LENGTH) return false;
  encoder.configure(settings.options, settings.bitmap);
  return encoder.encodeBytes(reinterpret_cast<const std::uint8_t*>(bytes->data()),
                             static_cast<std::uint32_t>(bytes->size())) == 0 &&
         encoder.layOut() == 0;
}

std::unique_ptr<platform::Picture> pictureOf(const Encoder& encoder) {
  const BitmapGeometry pixels = bitmapGeometry(encoder.symbol(), encoder.bitmap().moduleWidth);
  platform::MonochromeBitmap bitmap;
  bitmap.width = static_cast<int>(pixels.width);
  bitmap.height = static_cast<int>(pixels.height);
  bitmap.stride = pixels.stride;
  bitmap.palette = {platform::MonochromeBitmap::Colour{0, 0, 0}, platform::MonochromeBitmap::Colour{255, 255, 255}};
  bitmap.rows.resize(static_cast<std::size_t>(pixels.stride) * pixels.height);
  renderPixelRows(encoder.symbol(), pixels, bitmap.rows.data());
  return platform::Picture::fromPixels(std::move(bitmap));
}

std::optional<PictureSize> pictureSizeOf(const Encoder& encoder) {
  const BitmapGeometry pixels = bitmapGeometry(encoder.symbol(), encoder.bitmap().moduleWidth);
  if (const auto size =
          platform::Picture::sizeOfPixels(static_cast<int>(pixels.width), static_cast<int>(pixels.height))) {
    if (size->first <= 0 || size->second <= 0) return std::nullopt;
    return PictureSize{size->first, size->second};
  }
  const std::unique_ptr<platform::Picture> picture = pictureOf(encoder);
  if (!picture) return std::nullopt;
  return PictureSize{picture->widthHimetric(), picture->heightHimetric()};
}

std::unique_ptr<platform::Picture> makeSymbolPicture(const TorvPdf417Comp& instance, const char16_t* text) {
  try {
    // An encoder of the call's own: the pdf417* functions' shared one is never touched here.
    Encoder encoder;
    if (!layOutSymbol(instance, text, encoder)) return nullptr;
    return pictureOf(encoder);
  } catch (const std::bad_alloc&) {
    return nullptr;  // memory ran out: no picture, as for any other failure
  }
}

std::optional<PictureSize> symbolPictureSize(const TorvPdf417Comp& instance, const char16_t* text) {
  try {
    Encoder encoder;
    if (!layOutSymbol(instance, text, encoder)) return std::nullopt;
    return pictureSizeOf(encoder);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace torv::component
