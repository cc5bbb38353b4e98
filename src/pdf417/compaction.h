// SPDX-License-Identifier: Apache-2.0
// High-level encoding: choosing the next segment and the three compaction modes.
#pragma once

#include <cstdint>

#include "pdf417/capacity_plan.h"
#include "pdf417/char_classes.h"
#include "pdf417/codeword_buffer.h"

namespace torv::pdf417 {

// Mode codewords.
constexpr unsigned kLatchText = 900;
constexpr unsigned kLatchByte = 901;
constexpr unsigned kLatchNumeric = 902;
constexpr unsigned kShiftByte = 913;
constexpr unsigned kLatchByteSix = 924;
// Designator of an extended channel 0..899: this codeword, then the channel number.
constexpr unsigned kEciDesignator = 927;
constexpr int kMaxShortEci = 899;

enum class EncodingMode : std::uint8_t { Text, Byte, Numeric };

// The bytes still to encode: data[pos .. end).
struct InputCursor {
  const std::uint8_t* data = nullptr;
  std::uint32_t pos = 0;
  std::uint32_t end = 0;
  std::uint32_t remaining() const { return end > pos ? end - pos : 0u; }
};

struct CompactionChoice {
  enum Kind : std::uint8_t { Stop, Text, Byte, Numeric };
  Kind kind = Stop;
  std::uint32_t count = 0;  // bytes in the segment
};

// Compacts data[in.pos .. in.end) into message within the plan's room. in.pos ends after the
// last byte encoded: short of in.end when the room ran out. With eci 0..811799 the message
// begins with that channel's designator (fewest_compaction.h); without room for it nothing is
// encoded. -1 writes none.
void compact(InputCursor& in, const CapacityPlan& plan, CodewordBuffer& message, int eci = -1);

// Text, Byte and Numeric segments in turn from `mode` on, until the data or the room runs out.
// A PDF417 symbol begins in Text Compaction (Alpha), a MicroPDF417 symbol in Byte Compaction.
void encodeSegments(InputCursor& in, CodewordBuffer& buffer, EncodingMode mode);

// Decides the next segment from the cursor on, without consuming anything.
CompactionChoice chooseCompaction(const InputCursor& in, const CodewordBuffer& buffer, EncodingMode mode);

// Text-compacts up to n bytes from the cursor, continuing in subMode. Advances the cursor
// over the bytes it encodes. Returns false when it ran out of room before n bytes.
bool textCompact(InputCursor& in, std::uint32_t n, CodewordBuffer& buffer, TextSubMode& subMode);

// Appends the Byte Compaction of n bytes (no latch). The caller makes room.
void byteCompact(const std::uint8_t* bytes, std::uint32_t n, CodewordBuffer& buffer);

// Appends the Numeric Compaction of n digits '0'..'9' (no latch). The caller makes room.
void numericCompact(const std::uint8_t* digits, std::uint32_t n, CodewordBuffer& buffer);

// Digits that k codewords behind a numeric latch hold.
std::uint32_t numericDigitsFor(std::uint32_t k);

}  // namespace torv::pdf417
