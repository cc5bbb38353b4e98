// pdf417Write: layout, then the bitmap into the output stream or its size.
#include "pdf417/bitmap_writer.h"
#include "pdf417/encoder_state.h"
#include "pdf417/memory_stream.h"
#include "pdf417/pdf417.h"

namespace torv::pdf417 {

int pdf417Write(Pdf417Stream* outStream, std::int32_t* bytesWritten) {
  EncoderState& state = encoderState();
  if (!state.encoded) return PDF417_ERR_NOT_ENCODED;
  const Pdf417Options& o = state.options;
  const int laidOut = layoutSymbol(o, state.buffer, state.layout);
  if (laidOut != 0) return laidOut;

  if (outStream == nullptr) {
    if (bytesWritten == nullptr) return PDF417_ERR_NO_TARGET;
    const std::uint32_t size = o.writerInstalled ? bitmapSize(state.layout, o.moduleWidth, o.withFileHeader) : 0;
    *bytesWritten = static_cast<std::int32_t>(size);
    return 0;
  }
  if (!isOutputStream(outStream)) return PDF417_ERR_NOT_OUTPUT;
  outStream->written = 0;
  int result = 0;
  if (o.writerInstalled) result = writeBitmap(outStream, state.layout, o.moduleWidth, o.withFileHeader);
  streamClose(outStream);
  if (result != 0) return result;
  if (bytesWritten != nullptr) *bytesWritten = static_cast<std::int32_t>(outStream->written);
  return 0;
}

}  // namespace torv::pdf417
