// SPDX-License-Identifier: Apache-2.0
// Which compaction the next segment uses, and how long it is.
#include <algorithm>

#include "pdf417/capacity_plan.h"
#include "pdf417/compaction.h"

namespace torv::pdf417 {
namespace {

constexpr std::uint32_t kTextThresholdAfterText = 13;  // digit run followed by more text
constexpr std::uint32_t kTextThresholdAtEnd = 7;       // digit run ends the data, in Text mode
constexpr std::uint32_t kDigitRunBreaksText = 14;
constexpr std::uint32_t kTextRunBreaksBytes = 5;

}  // namespace

std::uint32_t numericDigitsFor(std::uint32_t k) {
  // k codewords hold 15 per 44 digits, and floor(r / 3) + 1 for a last group of r digits.
  const std::uint32_t rest = k % 15;
  return (rest == 0 ? 0 : 3 * rest - 1) + 44 * (k / 15);
}

CompactionChoice chooseCompaction(const InputCursor& in, const CodewordBuffer& buffer, EncodingMode mode) {
  const std::uint32_t free = buffer.freeCount();
  const std::uint32_t avail = in.remaining();
  if (free == 0 || avail == 0) return {};
  const std::uint8_t* p = in.data + in.pos;

  if (isDigitByte(p[0]) && free >= 2) {
    const std::uint32_t limit = std::min(avail, numericDigitsFor(free - 1));
    std::uint32_t run = 0;
    while (run < limit && isDigitByte(p[run])) ++run;
    // A run cut at the limit counts as followed by the end of the data.
    const bool cut = run == numericDigitsFor(free - 1);
    const bool textFollows = !cut && run < avail && isTextByte(p[run]);
    const std::uint32_t threshold =
        textFollows ? kTextThresholdAfterText : (mode == EncodingMode::Text ? kTextThresholdAtEnd : 0);
    if (run > threshold) return {CompactionChoice::Numeric, run};
  }

  if (isTextByte(p[0])) {
    const std::uint32_t limit = 2 * free;
    std::uint32_t n = 0;
    std::uint32_t digits = 0;
    bool endedByDigits = false;
    while (n < limit && n < avail) {
      const std::uint8_t b = p[n];
      if (!isTextByte(b)) break;
      ++n;
      digits = isDigitByte(b) ? digits + 1 : 0;
      if (digits == kDigitRunBreaksText) {
        n -= kDigitRunBreaksText;  // leave the digits to Numeric Compaction
        endedByDigits = true;
        break;
      }
    }
    if (n >= std::min<std::uint32_t>(limit, 5)) return {CompactionChoice::Text, n};
    // Also Text when the digits follow, or when at most one byte is left after the run.
    if (n >= 1 && (endedByDigits || n + 1 >= avail)) return {CompactionChoice::Text, n};
  }

  if (free <= 1) return {};  // no room for a latch and a byte
  const std::uint32_t limit = std::min(avail, maxBytes(free - 1));
  std::uint32_t count = 0;
  std::uint32_t textRun = 0;
  while (count < limit) {
    textRun = isTextByte(p[count]) ? textRun + 1 : 0;
    if (textRun == kTextRunBreaksBytes) {
      count -= kTextRunBreaksBytes - 1;  // end before the text run
      break;
    }
    ++count;
  }
  return {CompactionChoice::Byte, std::max<std::uint32_t>(count, 1)};
}

}  // namespace torv::pdf417
