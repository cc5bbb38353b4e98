// SPDX-License-Identifier: Apache-2.0
// Fewest-codeword compaction: an exact search over every way the three compaction modes, the four
// Text sub-modes with their latches and shifts, the byte shift and the Numeric groups can encode the
// bytes, keeping the shortest. It is an encoder option (Compaction::Fewest); the default rules of
// compaction.h stay what the plug-in draws with.
#pragma once

#include <cstdint>

#include "pdf417/codeword_buffer.h"

namespace torv::pdf417 {

// Extended channel designators: 927 + one codeword for 0..899, 926 + two for 900..810899,
// 925 + one for 810900..811799.
constexpr unsigned kEciDesignatorWide = 926;
constexpr unsigned kEciDesignatorTop = 925;
constexpr std::int32_t kMaxEci = 811799;

// Codewords the designator of `eci` takes (0 for a negative value, none named).
unsigned eciCodewordCount(std::int32_t eci);

// Appends the designator of eci 0..kMaxEci. The caller makes room.
void appendEci(std::int32_t eci, CodewordBuffer& buffer);

// Where the encoding begins: PDF417 data in Text Compaction's Alpha sub-mode; MicroPDF417 data
// in Byte Compaction, where every segment, the first included, begins with its latch.
enum class FewestStart : std::uint8_t { Text, Byte };

// Data codewords of the shortest encoding of data[0 .. n), designator excluded.
std::uint32_t fewestCodewordCount(const std::uint8_t* data, std::uint32_t n, FewestStart start = FewestStart::Text);

// Writes the designator of eci (negative: none) and the shortest encoding of data[0 .. n) into
// message after its descriptor slot. Returns false, with only the descriptor slot left, when the
// whole does not fit message.capacity: nothing is encoded in part.
bool compactFewest(const std::uint8_t* data, std::uint32_t n, std::int32_t eci, CodewordBuffer& message,
                   FewestStart start = FewestStart::Text);

}  // namespace torv::pdf417
