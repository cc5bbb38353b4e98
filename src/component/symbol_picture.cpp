#include "component/symbol_picture.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <new>

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

namespace {

constexpr std::size_t kFirstBlockSize = 10240;
constexpr std::size_t kMinimumBlockSize = 1024;
constexpr std::size_t kMaximumBlockSize = 0x7FFFFFFF;  // the encoder's sizes are 32-bit

// Size of the last bitmap written: the next symbol is usually alike. Atomic only so that a host
// that breaks the one-thread rule gets a poor guess, never undefined behaviour.
std::atomic<std::size_t> g_lastImageSize{0};

// Writes the encoded symbol and loads it. The first block is twice the last symbol's size (at
// first the classic 10240 bytes): asking the encoder for the size lays the symbol out, error
// correction and all, a second time. Only a symbol that outgrows the block pays for the size
// query and a second write; small symbols get a small block, which the allocator hands out fastest.
std::unique_ptr<platform::Picture> writeAndLoad(Encoder& encoder) {
  const std::size_t last = g_lastImageSize.load(std::memory_order_relaxed);
  std::size_t capacity = last == 0 ? kFirstBlockSize : std::clamp(2 * last, kMinimumBlockSize, kMaximumBlockSize);
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[capacity]);
  if (!block) capacity = 0;  // the exact size below may still fit in memory
  Pdf417Stream output;
  std::int32_t written = 0;
  int result = PDF417_ERR_WRITER;
  if (block) {
    pdf417OpenMemory(&output, PDF417_STREAM_OUTPUT, block.get(), static_cast<std::uint32_t>(capacity));
    result = encoder.write(&output, &written);
  }
  if (result == PDF417_ERR_WRITER) {
    std::int32_t imageSize = 0;
    if (encoder.write(nullptr, &imageSize) != 0 || imageSize <= 0) return nullptr;
    if (static_cast<std::size_t>(imageSize) > capacity) {
      capacity = static_cast<std::size_t>(imageSize);
      block.reset(new (std::nothrow) unsigned char[capacity]);
      if (!block) return nullptr;
      pdf417OpenMemory(&output, PDF417_STREAM_OUTPUT, block.get(), static_cast<std::uint32_t>(capacity));
      result = encoder.write(&output, &written);
    }
  }
  if (result != 0 || written <= 0 || static_cast<std::size_t>(written) > capacity) return nullptr;
  g_lastImageSize.store(static_cast<std::size_t>(written), std::memory_order_relaxed);
  return platform::Picture::load(std::move(block), static_cast<std::size_t>(written));
}

std::unique_ptr<platform::Picture> encodeAndLoad(const TorvPdf417Comp& instance, const char16_t* text) {
  const EncoderSettings settings = optionsFor(instance);
  // The plug-in keeps the encoder's single shared state.
  Encoder& encoder = processEncoder();
  encoder.configure(settings.options, settings.bitmap);
  const std::optional<std::string> bytes = dataBytes(text);
  if (!settings.bitmap.installed || !bytes || bytes->size() > PDF417_MAX_DATA_LENGTH) return nullptr;
  if (encoder.encode(bytes->data(), static_cast<std::uint32_t>(bytes->size())) < 0) return nullptr;
  std::unique_ptr<platform::Picture> picture = writeAndLoad(encoder);
  encoder.close(nullptr);
  return picture;
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
