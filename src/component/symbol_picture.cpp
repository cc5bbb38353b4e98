#include "component/symbol_picture.h"

#include <cstdio>
#include <new>
#include <vector>

#include "pdf417/option_rules.h"
#include "platform/process_code_page.h"

namespace torv::component {

using namespace torv::pdf417;

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
  const int needed = platform::utf16ToProcessAnsi(source, -1, nullptr, 0);  // terminator included
  if (needed <= 0) return std::nullopt;
  std::string bytes;
  try {
    bytes.resize(static_cast<std::size_t>(needed));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  if (platform::utf16ToProcessAnsi(source, -1, bytes.data(), needed) != needed) return std::nullopt;
  bytes.pop_back();
  return bytes;
}

std::string rowHeightRatioText(std::int32_t xScale, std::int32_t yScale) {
  const auto height =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(xScale) + static_cast<std::uint32_t>(yScale) - 1u);
  char text[32];
  std::snprintf(text, sizeof text, "%d:%d", static_cast<int>(height), static_cast<int>(xScale));
  return text;
}

namespace {

std::unique_ptr<platform::Picture> encodeAndLoad(const TorvPdf417Comp& instance, const char16_t* text) {
  const EncoderSettings settings = optionsFor(instance);
  // The plug-in keeps the encoder's single shared state.
  Encoder& encoder = processEncoder();
  encoder.configure(settings.options, settings.bitmap);
  const std::optional<std::string> bytes = dataBytes(text);
  if (!settings.bitmap.installed || !bytes || bytes->size() > PDF417_MAX_DATA_LENGTH) return nullptr;
  if (encoder.encode(bytes->data(), static_cast<std::uint32_t>(bytes->size())) < 0) return nullptr;
  std::vector<std::uint8_t> image;
  const int written = encoder.writeImage(image);
  encoder.close(nullptr);
  if (written != 0 || image.empty()) return nullptr;
  return platform::Picture::load(image.data(), image.size());
}

}  // namespace

std::unique_ptr<platform::Picture> makeSymbolPicture(const TorvPdf417Comp& instance, const char16_t* text) {
  try {
    return encodeAndLoad(instance, text);
  } catch (const std::bad_alloc&) {
    return nullptr;  // memory ran out: no picture, as for any other failure
  }
}

}  // namespace torv::component
