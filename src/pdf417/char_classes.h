// SPDX-License-Identifier: Apache-2.0
// Byte classes of Text Compaction and each byte's value in the four text sub-modes.
#pragma once

#include <array>
#include <cstdint>

namespace torv::pdf417 {

enum CharClass : std::uint8_t {
  kAlpha = 0x01,
  kLower = 0x02,
  kMixed = 0x04,
  kPunct = 0x08,
  kDigit = 0x10,
  kTextMask = kAlpha | kLower | kMixed | kPunct,
};

enum TextSubMode : std::uint8_t { SubAlpha = 0, SubLower = 1, SubMixed = 2, SubPunct = 3 };

// Class bits of every byte value.
extern const std::array<std::uint8_t, 256> kCharClass;

// Value of a byte in a sub-mode's table (only meaningful when the byte is a member).
extern const std::array<std::array<std::uint8_t, 256>, 4> kSubModeValue;

inline bool isTextByte(std::uint8_t b) { return (kCharClass[b] & kTextMask) != 0; }
inline bool isDigitByte(std::uint8_t b) { return (kCharClass[b] & kDigit) != 0; }

}  // namespace torv::pdf417
