// Reset, the option setters, opening and closing streams.
#include <cstring>

#include "pdf417/bitmap_writer.h"
#include "pdf417/codeword_buffer.h"
#include "pdf417/decimal_ratio.h"
#include "pdf417/encoder_state.h"
#include "pdf417/memory_stream.h"
#include "pdf417/pdf417.h"

namespace torv::pdf417 {
namespace {

// Integer options count as unsigned 16-bit values.
std::uint16_t low16(int value) { return static_cast<std::uint16_t>(value); }

// Splits "h:w" at the first colon; without a colon only h is set and hasColon is false.
struct RatioText {
  const char* h;
  const char* hEnd;
  const char* w;
  const char* wEnd;
  bool hasColon;
};

RatioText splitRatio(const char* text) {
  const char* end = text + std::strlen(text);
  const char* colon = std::strchr(text, ':');
  if (colon == nullptr) return {text, end, end, end, false};
  return {text, colon, colon + 1, end, true};
}

}  // namespace

int pdf417Reset() {
  EncoderState& state = encoderState();
  state.options = Pdf417Options{};
  state.encoded = false;
  return 1;
}

int pdf417SetEccLevel(int level) {
  const std::uint16_t value = low16(level);
  if (value > 8) return 0;
  Pdf417Options& o = encoderOptions();
  o.eccLevel = value;
  o.eccExplicit = true;
  o.eccAutoRaise = false;
  return 1;
}

int pdf417SetSizingMode(int mode) {
  Pdf417Options& o = encoderOptions();
  if (mode == SIZING_BOUNDED) {
    o.rows = 90;
    o.columns = 30;
  } else if (mode == SIZING_FIXED) {
    o.rows = 58;
    o.columns = 16;
  } else {
    return 0;
  }
  o.sizingMode = static_cast<std::uint16_t>(mode);
  return 1;
}

int pdf417SetRowsColumns(int rows, int columns) {
  const std::uint16_t r = low16(rows);
  const std::uint16_t c = low16(columns);
  Pdf417Options& o = encoderOptions();
  if (r != 0 && (r < 3 || r > kMaxRows)) return 0;
  if (c > kMaxColumns) return 0;
  if (o.sizingMode == SIZING_BOUNDED) {
    if (r == 0 || c == 0) return 0;
  } else {
    if (r == 0 && c == 0) return 0;
    if (r != 0 && c != 0 && unsigned{r} * c > kMaxSlots) return 0;
  }
  o.rows = r;
  o.columns = c;
  return 1;
}

int pdf417SetAspectRatio(const char* ratio) {
  if (ratio == nullptr) return 0;
  const RatioText t = splitRatio(ratio);
  std::uint32_t h = 0;
  std::uint32_t w = 0;
  if (!t.hasColon || !parseHundredths(t.h, t.hEnd, h) || !parseHundredths(t.w, t.wEnd, w)) return 0;
  const std::uint32_t aspect = 100 * h / w;
  if (aspect < 1 || aspect > 1000) return 0;
  encoderOptions().aspect = static_cast<std::uint16_t>(aspect);
  return 1;
}

int pdf417SetRowHeightRatio(const char* ratio) {
  if (ratio == nullptr) return 0;
  const RatioText t = splitRatio(ratio);
  std::uint32_t h = 0;
  std::uint32_t w = 100;
  if (!parseHundredths(t.h, t.hEnd, h)) return 0;
  if (t.hasColon && !parseHundredths(t.w, t.wEnd, w)) return 0;
  h /= 100;  // fractions are dropped
  w /= 100;
  if (h < 1 || h > 25 || w < 1 || w > 25) return 0;
  Pdf417Options& o = encoderOptions();
  o.rowHeightNum = static_cast<std::uint16_t>(h);
  o.rowHeightDen = static_cast<std::uint16_t>(w);
  return 1;
}

int pdf417SetBitmapWriter(int moduleWidth, bool withFileHeader) {
  const std::uint16_t width = low16(moduleWidth);
  if (width > kMaxModuleWidth) return 0;
  Pdf417Options& o = encoderOptions();
  o.moduleWidth = width;
  o.withFileHeader = withFileHeader;
  o.writerInstalled = true;
  return 1;
}

int pdf417OpenMemory(Pdf417Stream* stream, int direction, void* buffer, std::uint32_t capacity) {
  if (stream == nullptr) return 0;
  *stream = Pdf417Stream{};
  stream->isMemory = true;
  stream->direction = direction;
  if (direction == PDF417_STREAM_INPUT) {
    stream->data = static_cast<const std::uint8_t*>(buffer);
    stream->available = buffer != nullptr ? capacity : 0;
  } else if (direction == PDF417_STREAM_OUTPUT) {
    stream->buffer = static_cast<std::uint8_t*>(buffer);
    stream->capacity = buffer != nullptr ? capacity : 0;
  }
  return 1;
}

int pdf417Close(Pdf417Stream* stream) {
  streamClose(stream);
  encoderState().encoded = false;
  return 1;
}

}  // namespace torv::pdf417
