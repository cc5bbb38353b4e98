// SPDX-License-Identifier: Apache-2.0
#include "pdf417/memory_stream.h"

#include <cstring>

namespace torv::pdf417 {

bool isInputStream(const Pdf417Stream* stream) {
  return stream != nullptr && stream->isMemory && stream->direction == PDF417_STREAM_INPUT;
}

bool isOutputStream(const Pdf417Stream* stream) {
  return stream != nullptr && stream->isMemory && stream->direction == PDF417_STREAM_OUTPUT;
}

bool streamWrite(Pdf417Stream* stream, const void* block, std::uint32_t size) {
  if (!isOutputStream(stream)) return false;
  if (size > stream->capacity || stream->written > stream->capacity - size) return false;
  if (size != 0) std::memcpy(stream->buffer + stream->written, block, size);
  stream->written += size;
  return true;
}

}  // namespace torv::pdf417
