// SPDX-License-Identifier: Apache-2.0
// Compaction: the data bytes become data codewords, segment by segment.
#include <algorithm>

#include "pdf417/capacity_plan.h"
#include "pdf417/compaction.h"
#include "pdf417/fewest_compaction.h"

namespace torv::pdf417 {
namespace {

unsigned byteLatchFor(std::uint32_t count) { return count % 6 == 0 ? kLatchByteSix : kLatchByte; }

}  // namespace

void encodeSegments(InputCursor& in, CodewordBuffer& buffer, EncodingMode mode) {
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

namespace {

// When mixed compaction held fewer bytes than plain Byte Compaction could, start over
// with all bytes in one Byte segment. The first `kept` entries (descriptor slot, designator) stay.
void encodeAllBytesIfBetter(InputCursor& in, std::uint32_t consumed, CodewordBuffer& buffer, std::uint16_t kept) {
  if (buffer.capacity < kept + 1u) return;
  const std::uint32_t byteRoom = maxBytes(buffer.capacity - kept - 1u);
  if (consumed >= byteRoom || in.pos >= in.end) return;
  in.pos = 0;
  buffer.count = kept;
  const std::uint32_t m = std::min(byteRoom, in.end);
  if (m == 0) return;
  buffer.append(byteLatchFor(m));
  byteCompact(in.data, m, buffer);
  in.pos = m;
}

}  // namespace

void compact(InputCursor& in, const CapacityPlan& plan, CodewordBuffer& message, int eci) {
  message.count = 1;
  message.capacity = plan.capacity;
  // The designator leads the data, so that a reader knows the character set before any byte.
  // Data without the designator it was meant to carry would read as other characters: no room
  // for it is no room for the data.
  if (eci >= 0 && eci <= kMaxEci) {
    if (message.freeCount() < eciCodewordCount(eci)) return;
    appendEci(eci, message);
  }
  const std::uint16_t kept = message.count;
  const std::uint32_t start = in.pos;
  encodeSegments(in, message, EncodingMode::Text);
  const std::uint32_t consumed = in.pos > start ? in.pos - start : 0;
  encodeAllBytesIfBetter(in, consumed, message, kept);
}

}  // namespace torv::pdf417
