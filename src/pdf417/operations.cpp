// SPDX-License-Identifier: Apache-2.0
// The pdf417* operations: opening a stream, and everything else on the process-wide encoder.
#include "pdf417/encoder.h"
#include "pdf417/pdf417.h"

namespace torv::pdf417 {

int pdf417Reset() { return processEncoder().reset(); }
int pdf417SetEccLevel(int level) { return processEncoder().setEccLevel(level); }
int pdf417SetSizingMode(int mode) { return processEncoder().setSizingMode(mode); }
int pdf417SetRowsColumns(int rows, int columns) { return processEncoder().setRowsColumns(rows, columns); }
int pdf417SetAspectRatio(const char* ratio) { return processEncoder().setAspectRatio(ratio); }
int pdf417SetRowHeightRatio(const char* ratio) { return processEncoder().setRowHeightRatio(ratio); }
int pdf417SetBitmapWriter(int moduleWidth, bool withFileHeader) {
  return processEncoder().setBitmapWriter(moduleWidth, withFileHeader);
}
int pdf417Encode(Pdf417Stream* stream, std::int32_t length) { return processEncoder().encode(stream, length); }
int pdf417Write(Pdf417Stream* outStream, std::int32_t* bytesWritten) {
  return processEncoder().write(outStream, bytesWritten);
}
int pdf417Close(Pdf417Stream* stream) { return processEncoder().close(stream); }

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

}  // namespace torv::pdf417
