// SPDX-License-Identifier: Apache-2.0
// Text Compaction: bytes become values of the four sub-modes, two values a codeword.
#include "pdf417/compaction.h"

namespace torv::pdf417 {
namespace {

// Sub-mode switch values.
constexpr std::uint8_t kPL = 25;   // Mixed: latch to Punctuation
constexpr std::uint8_t kLL = 27;   // Alpha, Mixed: latch to Lower
constexpr std::uint8_t kAS = 27;   // Lower: shift to Alpha
constexpr std::uint8_t kML = 28;   // Alpha, Lower: latch to Mixed
constexpr std::uint8_t kAL = 28;   // Mixed: latch to Alpha
constexpr std::uint8_t kPS = 29;   // Alpha, Lower, Mixed: shift to Punctuation
constexpr std::uint8_t kPAL = 29;  // Punctuation: latch to Alpha

// The values of one byte, packed in a word so that they stay in a register: values in
// bits 0..7, 8..15, 16..23 (first value lowest), their count in 24..25, the next
// sub-mode in 26..27.
using Values = std::uint32_t;

constexpr Values pack(TextSubMode next, unsigned v0) { return v0 | 1u << 24 | unsigned{next} << 26; }
constexpr Values pack(TextSubMode next, unsigned v0, unsigned v1) {
  return v0 | v1 << 8 | 2u << 24 | unsigned{next} << 26;
}
constexpr Values pack(TextSubMode next, unsigned v0, unsigned v1, unsigned v2) {
  return v0 | v1 << 8 | v2 << 16 | 3u << 24 | unsigned{next} << 26;
}
constexpr unsigned countOf(Values v) { return (v >> 24) & 3u; }
constexpr TextSubMode nextOf(Values v) { return static_cast<TextSubMode>((v >> 26) & 3u); }

// Whether the k bytes after position pos all carry the class bit.
bool nextAllHave(const InputCursor& in, std::uint32_t pos, std::uint32_t k, std::uint8_t bit) {
  if (in.end - pos - 1 < k) return false;
  for (std::uint32_t i = 1; i <= k; ++i) {
    if ((kCharClass[in.data[pos + i]] & bit) == 0) return false;
  }
  return true;
}

Values valuesFor(const InputCursor& in, std::uint32_t pos, TextSubMode sub) {
  const std::uint8_t b = in.data[pos];
  const std::uint8_t cls = kCharClass[b];
  const std::uint8_t a = kSubModeValue[SubAlpha][b];
  const std::uint8_t l = kSubModeValue[SubLower][b];
  const std::uint8_t m = kSubModeValue[SubMixed][b];
  const std::uint8_t p = kSubModeValue[SubPunct][b];
  switch (sub) {
    case SubAlpha:
      if (cls & kAlpha) return pack(SubAlpha, a);
      if (cls & kLower) return pack(SubLower, kLL, l);
      if (cls & kPunct) {
        if (nextAllHave(in, pos, 3, kPunct)) return pack(SubPunct, kML, kPL, p);
        return pack(SubAlpha, kPS, p);
      }
      return pack(SubMixed, kML, m);
    case SubLower:
      if (cls & kLower) return pack(SubLower, l);
      if (cls & kAlpha) {
        if (nextAllHave(in, pos, 4, kAlpha)) return pack(SubAlpha, kML, kAL, a);
        return pack(SubLower, kAS, a);
      }
      if (cls & kPunct) {
        if (nextAllHave(in, pos, 3, kPunct)) return pack(SubPunct, kML, kPL, p);
        return pack(SubLower, kPS, p);
      }
      return pack(SubMixed, kML, m);
    case SubMixed:
      if (cls & kMixed) return pack(SubMixed, m);
      if (cls & kAlpha) return pack(SubAlpha, kAL, a);
      if (cls & kLower) return pack(SubLower, kLL, l);
      if (nextAllHave(in, pos, 3, kPunct)) return pack(SubPunct, kPL, p);
      return pack(SubMixed, kPS, p);
    case SubPunct:
    default:
      if (cls & kPunct) return pack(SubPunct, p);
      if (cls & kAlpha) return pack(SubAlpha, kPAL, a);
      if (cls & kMixed) return pack(SubMixed, kPAL, kML, m);
      return pack(SubLower, kPAL, kLL, l);
  }
}

}  // namespace

bool textCompact(InputCursor& in, std::uint32_t n, CodewordBuffer& buffer, TextSubMode& subMode) {
  std::uint32_t budget = 2 * buffer.freeCount();
  int pending = -1;  // a value waiting for its partner
  bool roomLeft = true;
  const std::uint32_t stop = n < in.remaining() ? in.pos + n : in.end;
  while (in.pos < stop) {
    if (!isTextByte(in.data[in.pos])) break;
    Values values = valuesFor(in, in.pos, subMode);
    const unsigned count = countOf(values);
    if (count > budget) {
      roomLeft = false;  // the byte stays unconsumed
      break;
    }
    budget -= count;
    ++in.pos;
    subMode = nextOf(values);
    for (unsigned i = 0; i < count; ++i, values >>= 8) {
      const unsigned v = values & 0xFFu;
      if (pending < 0) {
        pending = static_cast<int>(v);
      } else {
        buffer.append(30u * static_cast<unsigned>(pending) + v);
        pending = -1;
      }
    }
  }
  if (pending >= 0) {
    buffer.append(30u * static_cast<unsigned>(pending) + kPS);
    // 29 latches back to Alpha from Punctuation; elsewhere it is a shift that nothing follows.
    if (subMode == SubPunct) subMode = SubAlpha;
  }
  return roomLeft;
}

}  // namespace torv::pdf417
