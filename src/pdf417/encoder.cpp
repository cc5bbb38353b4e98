// SPDX-License-Identifier: Apache-2.0
#include "pdf417/encoder.h"

#include <algorithm>

#include "pdf417/bitmap_writer.h"
#include "pdf417/capacity_plan.h"
#include "pdf417/compaction.h"
#include "pdf417/fewest_compaction.h"
#include "pdf417/layout.h"
#include "pdf417/memory_stream.h"
#include "pdf417/option_rules.h"

namespace torv::pdf417 {

namespace {
// Reader Initialisation: leads the data of a symbol that programs the reader.
constexpr std::uint16_t kReaderInitialisation = 921;
}  // namespace

int Encoder::reset() {
  configure(Pdf417Options{}, BitmapOptions{});
  return 1;
}

void Encoder::configure(const Pdf417Options& options, const BitmapOptions& bitmap) {
  options_ = options;
  bitmap_ = bitmap;
  encoded_ = false;
  laidOut_ = false;
  macroBlock_.clear();
}

int Encoder::setEccLevel(int level) { return applyEccLevel(options_, level) ? 1 : 0; }
int Encoder::setSizingMode(int mode) { return applySizingMode(options_, mode) ? 1 : 0; }
int Encoder::setRowsColumns(int rows, int columns) { return applyRowsColumns(options_, rows, columns) ? 1 : 0; }
int Encoder::setAspectRatio(const char* ratio) { return applyAspectRatio(options_, ratio) ? 1 : 0; }
int Encoder::setRowHeightRatio(const char* ratio) { return applyRowHeightRatio(options_, ratio) ? 1 : 0; }
int Encoder::setBitmapWriter(int moduleWidth, bool withFileHeader) {
  return applyBitmapWriter(bitmap_, moduleWidth, withFileHeader) ? 1 : 0;
}

int Encoder::setEci(int eci) {
  if (eci < -1 || eci > kMaxEci) return 0;
  options_.eci = eci;
  return 1;
}

int Encoder::setCompaction(Compaction compaction) {
  if (compaction != Compaction::Rules && compaction != Compaction::Fewest) return 0;
  options_.compaction = compaction;
  return 1;
}

int Encoder::setCompact(bool compact) {
  options_.compact = compact;
  return 1;
}

int Encoder::setReaderInit(bool readerInit) {
  options_.readerInit = readerInit;
  return 1;
}

int Encoder::setMacroControlBlock(const std::uint16_t* codewords, unsigned count) {
  if (count > kMaxSlots || (count != 0 && codewords == nullptr)) return 0;
  macroBlock_.assign(codewords, codewords + count);
  encoded_ = false;
  laidOut_ = false;
  return 1;
}

int Encoder::encode(Pdf417Stream* stream, std::int32_t length) {
  if (stream == nullptr) return PDF417_ERR_NO_STREAM;
  encoded_ = false;
  laidOut_ = false;
  if (!isInputStream(stream)) return PDF417_ERR_NOT_INPUT;
  // A negative length, or more bytes than the stream holds, can never be encoded whole.
  if (length < 0 || static_cast<std::uint32_t>(length) > PDF417_MAX_DATA_LENGTH ||
      static_cast<std::uint32_t>(length) > stream->available) {
    return PDF417_ERR_TOO_LONG;
  }
  const int result = compactFrom(stream->data, &stream->readCursor, static_cast<std::uint32_t>(length));
  return result == 0 ? 1 : result;
}

int Encoder::encode(const void* data, std::uint32_t length) {
  const int result = encodeBytes(static_cast<const std::uint8_t*>(data), length);
  return result == 0 ? 1 : result;
}

int Encoder::encodeBytes(const std::uint8_t* data, std::uint32_t length) {
  encoded_ = false;
  laidOut_ = false;
  // Without bytes only an empty message can be encoded.
  if (length > PDF417_MAX_DATA_LENGTH || (data == nullptr && length != 0)) return PDF417_ERR_TOO_LONG;
  std::uint32_t cursor = 0;
  return compactFrom(data, &cursor, length);
}

int Encoder::compactFrom(const std::uint8_t* data, std::uint32_t* cursor, std::uint32_t end) {
  CapacityPlan plan = planCapacity(options_);
  message_.count = 1;
  if (plan.result != 0) {
    message_.capacity = 0;
    return plan.result;
  }
  // The data keeps room for what frames it: the initialisation flag before, a control block after.
  const unsigned framing = static_cast<unsigned>(macroBlock_.size()) + (options_.readerInit ? 1u : 0u);
  if (framing != 0) {
    if (plan.capacity < framing + 1u) {
      message_.capacity = 0;
      return PDF417_ERR_TOO_LONG;
    }
    plan.capacity = static_cast<std::uint16_t>(plan.capacity - framing);
  }
  const std::uint32_t start = *cursor;
  if (options_.compaction == Compaction::Fewest) {
    message_.capacity = plan.capacity;
    if (!compactFewest(data + start, end > start ? end - start : 0u, options_.eci, message_)) {
      return PDF417_ERR_TOO_LONG;
    }
    if (end > start) *cursor = end;
  } else {
    InputCursor in{data, start, end};
    compact(in, plan, message_, options_.eci);
    *cursor = in.pos;
    if (in.pos < in.end) return PDF417_ERR_TOO_LONG;
  }
  if (options_.readerInit) {
    std::copy_backward(message_.entries + 1, message_.entries + message_.count, message_.entries + message_.count + 1);
    message_.entries[1] = kReaderInitialisation;
    ++message_.count;
  }
  encoded_ = true;
  return 0;
}

int Encoder::write(Pdf417Stream* outStream, std::int32_t* bytesWritten) {
  const int laidOut = layOut();
  if (laidOut != 0) return laidOut;
  return writeLaidOut(outStream, bytesWritten);
}

int Encoder::layOut() {
  if (!encoded_) return PDF417_ERR_NOT_ENCODED;
  laidOut_ = false;
  const int result =
      pdf417::layOut(options_, message_, symbol_, macroBlock_.data(), static_cast<unsigned>(macroBlock_.size()));
  if (result != 0) return result;
  laidOut_ = true;
  return 0;
}

int Encoder::writeLaidOut(Pdf417Stream* outStream, std::int32_t* bytesWritten) {
  if (!encoded_ || !laidOut_) return PDF417_ERR_NOT_ENCODED;
  if (outStream == nullptr) {
    if (bytesWritten == nullptr) return PDF417_ERR_NO_TARGET;
    *bytesWritten = static_cast<std::int32_t>(bitmap_.installed ? bitmapSize(symbol_, bitmap_) : 0);
    return 0;
  }
  if (!isOutputStream(outStream)) return PDF417_ERR_NOT_OUTPUT;
  outStream->written = 0;
  if (bitmap_.installed) {
    const int result = writeBitmap(outStream, symbol_, bitmap_);
    if (result != 0) return result;
  }
  if (bytesWritten != nullptr) *bytesWritten = static_cast<std::int32_t>(outStream->written);
  return 0;
}

int Encoder::writeImage(std::vector<std::uint8_t>& image) {
  image.clear();
  std::int32_t size = 0;
  int result = write(nullptr, &size);
  if (result != 0 || size <= 0) return result;
  image.resize(static_cast<std::size_t>(size));
  Pdf417Stream out;
  pdf417OpenMemory(&out, PDF417_STREAM_OUTPUT, image.data(), static_cast<std::uint32_t>(size));
  std::int32_t written = 0;
  result = writeLaidOut(&out, &written);
  image.resize(result == 0 ? static_cast<std::size_t>(written) : 0);
  return result;
}

int Encoder::close(Pdf417Stream*) {
  // A memory stream holds nothing to release; closing ends the call sequence.
  encoded_ = false;
  laidOut_ = false;
  return 1;
}

Encoder& processEncoder() {
  static Encoder encoder;
  return encoder;
}

}  // namespace torv::pdf417
