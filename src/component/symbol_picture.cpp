#include "component/symbol_picture.h"

#include <cstdio>
#include <new>

#include "pdf417/pdf417.h"
#include "platform/process_code_page.h"

namespace torv::component {
namespace {

using namespace torv::pdf417;

int low16(std::int32_t value) { return static_cast<int>(static_cast<std::uint32_t>(value) & 0xFFFFu); }

// Configures the encoder from the five attributes. Refused values keep the encoder's fallbacks.
void configureEncoder(const TorvPdf417Comp& instance) {
  pdf417Reset();
  pdf417SetEccLevel(low16(instance.eccLevel));  // above 8: the automatic level stays
  const int rows = low16(instance.rows);
  const int columns = low16(instance.columns);
  if (rows == 0 && columns == 0) {
    pdf417SetAspectRatio("1:2");
  } else {
    pdf417SetSizingMode(SIZING_FIXED);  // a refused pair below keeps 58 rows of 16 columns
    pdf417SetRowsColumns(rows, columns);
  }
  pdf417SetRowHeightRatio(rowHeightRatioText(instance.xScale, instance.yScale).c_str());
}

// Both encoder streams of one drawing call, closed on every way out.
struct EncoderStreams {
  Pdf417Stream input;
  Pdf417Stream output;
  ~EncoderStreams() {
    pdf417Close(&input);
    pdf417Close(&output);
  }
};

}  // namespace

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
  configureEncoder(instance);
  const std::optional<std::string> bytes = dataBytes(text);
  if (!bytes || bytes->size() > PDF417_MAX_DATA_LENGTH) return nullptr;
  const auto length = static_cast<std::uint32_t>(bytes->size());

  EncoderStreams streams;
  pdf417OpenMemory(&streams.input, PDF417_STREAM_INPUT, const_cast<char*>(bytes->data()), length);
  if (pdf417SetBitmapWriter(low16(instance.xScale), true) != 1) return nullptr;
  if (pdf417Encode(&streams.input, static_cast<std::int32_t>(length)) < 0) return nullptr;

  std::int32_t imageSize = 0;
  if (pdf417Write(nullptr, &imageSize) != 0 || imageSize <= 0) return nullptr;
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[static_cast<std::size_t>(imageSize)]);
  if (!block) return nullptr;
  pdf417OpenMemory(&streams.output, PDF417_STREAM_OUTPUT, block.get(), static_cast<std::uint32_t>(imageSize));
  std::int32_t written = 0;
  if (pdf417Write(&streams.output, &written) != 0 || written <= 0 || written > imageSize) return nullptr;
  return platform::Picture::load(block.get(), static_cast<std::size_t>(written));
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
