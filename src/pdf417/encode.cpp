// pdf417Encode: the data bytes become data codewords, segment by segment.
#include <algorithm>

#include "pdf417/capacity_plan.h"
#include "pdf417/compaction.h"
#include "pdf417/encoder_state.h"
#include "pdf417/memory_stream.h"
#include "pdf417/pdf417.h"

namespace torv::pdf417 {
namespace {

unsigned byteLatchFor(std::uint32_t count) { return count % 6 == 0 ? kLatchByteSix : kLatchByte; }

// Text, Byte and Numeric segments in turn until the data or the room runs out.
void encodeSegments(InputCursor& in, CodewordBuffer& buffer) {
  EncodingMode mode = EncodingMode::Text;
  TextSubMode subMode = SubAlpha;
  for (;;) {
    const CompactionChoice choice = chooseCompaction(in, buffer, mode);
    switch (choice.kind) {
      case CompactionChoice::Stop:
        return;
      case CompactionChoice::Text:
        if (mode != EncodingMode::Text) {
          buffer.append(kLatchText);
          mode = EncodingMode::Text;
          subMode = SubAlpha;
        }
        if (!textCompact(in, choice.count, buffer, subMode)) return;
        break;
      case CompactionChoice::Byte:
        if (choice.count == 1 && mode == EncodingMode::Text) {
          buffer.append(kShiftByte);
        } else {
          buffer.append(byteLatchFor(choice.count));
          mode = EncodingMode::Byte;
        }
        byteCompact(in.data + in.pos, choice.count, buffer);
        in.pos += choice.count;
        break;
      case CompactionChoice::Numeric:
        buffer.append(kLatchNumeric);
        mode = EncodingMode::Numeric;
        numericCompact(in.data + in.pos, choice.count, buffer);
        in.pos += choice.count;
        break;
    }
  }
}

// When mixed compaction held fewer bytes than plain Byte Compaction could, start over
// with all bytes in one Byte segment.
void encodeAllBytesIfBetter(InputCursor& in, std::uint32_t consumed, CodewordBuffer& buffer) {
  const std::uint32_t byteRoom = maxBytes(buffer.capacity - 2u);
  if (consumed >= byteRoom || in.pos >= in.end) return;
  in.pos = 0;
  buffer.count = 1;
  const std::uint32_t m = std::min(byteRoom, in.end);
  if (m == 0) return;
  buffer.append(byteLatchFor(m));
  byteCompact(in.data, m, buffer);
  in.pos = m;
}

int finish(Pdf417Stream* stream, int result) {
  streamClose(stream);
  if (result < 0) encoderState().encoded = false;
  return result;
}

}  // namespace

int pdf417Encode(Pdf417Stream* stream, std::int32_t length) {
  if (stream == nullptr) return PDF417_ERR_NO_STREAM;
  EncoderState& state = encoderState();
  state.encoded = false;
  if (!isInputStream(stream)) return finish(stream, PDF417_ERR_NOT_INPUT);
  // A negative length, or more bytes than the stream holds, can never be encoded whole.
  if (length < 0 || static_cast<std::uint32_t>(length) > PDF417_MAX_DATA_LENGTH ||
      static_cast<std::uint32_t>(length) > stream->available) {
    return finish(stream, PDF417_ERR_TOO_LONG);
  }
  const auto end = static_cast<std::uint32_t>(length);
  stream->state = end == 0 ? Pdf417Stream::Empty : Pdf417Stream::DataPending;

  CodewordBuffer& buffer = state.buffer;
  buffer.count = 1;
  const CapacityPlan plan = computeCapacity(state.options);
  if (plan.result != 0) {
    buffer.slots = 0;
    buffer.capacity = 0;
    return finish(stream, plan.result);
  }
  buffer.slots = plan.slots;
  buffer.capacity = plan.capacity;

  InputCursor in{stream->data, stream->readCursor, end};
  const std::uint32_t start = in.pos;
  encodeSegments(in, buffer);
  const std::uint32_t consumed = in.pos > start ? in.pos - start : 0;
  encodeAllBytesIfBetter(in, consumed, buffer);

  stream->readCursor = in.pos;
  if (in.pos < end) return finish(stream, PDF417_ERR_TOO_LONG);
  state.encoded = true;
  return finish(stream, 1);
}

}  // namespace torv::pdf417
