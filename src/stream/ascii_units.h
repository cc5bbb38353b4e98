// SPDX-License-Identifier: Apache-2.0
// The word-at-a-time ASCII loops of the stream library: ASCII text found, copied, and turned
// into big-endian UTF-16 units and back, eight bytes or four units per machine word. Texts on
// the wire are mostly ASCII, which needs no code page: one unit per byte, high byte zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace torv::stream {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
inline constexpr bool kWordsAreLittleEndian = true;
#else
inline constexpr bool kWordsAreLittleEndian = false;
#endif

// Eight bytes as one word in the machine's order.
inline std::uint64_t loadWord(const void* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

inline constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
inline constexpr std::uint64_t kLowBits = 0x0101010101010101ULL;

// Whether any of the word's bytes is 0x80 or above.
inline bool anyHighByte(std::uint64_t word) { return (word & kHighBits) != 0; }

// Whether any of the word's bytes is zero or 0x80 and above: subtracting one from each byte
// borrows into the high bit exactly of a zero byte that was not high before.
inline bool anyZeroOrHighByte(std::uint64_t word) { return ((word | ((word - kLowBits) & ~word)) & kHighBits) != 0; }

// Whether every byte of text is below 0x80: such text is the same in every ANSI code page, one
// UTF-16 unit per byte.
inline bool isAscii(const char* text, std::size_t n) {
  std::uint64_t any = 0;
  std::size_t k = 0;
  for (; k + 8 <= n; k += 8) any |= loadWord(text + k);
  for (; k < n; ++k) any |= static_cast<unsigned char>(text[k]);
  return !anyHighByte(any);
}

// Copies the leading bytes of text that stand for themselves in modified UTF-8 (1 to 0x7F) to
// out; returns how many.
inline std::size_t copyPlainAscii(const unsigned char* text, std::size_t n, char* out) {
  std::size_t k = 0;
  for (; k + 8 <= n; k += 8) {
    if (anyZeroOrHighByte(loadWord(text + k))) {
      // The byte that ends the run is among these eight: no end check is needed before it.
      for (; text[k] - 1u < 0x7Fu; ++k) out[k] = static_cast<char>(text[k]);
      return k;
    }
    std::memcpy(out + k, text + k, 8);
  }
  for (; k < n && text[k] - 1u < 0x7Fu; ++k) out[k] = static_cast<char>(text[k]);
  return k;
}

// Widens the leading ASCII bytes of text (below 0x80) to units at out; returns how many.
inline std::size_t widenLeadingAscii(const unsigned char* text, std::size_t n, char16_t* out) {
  std::size_t k = 0;
  for (; k + 8 <= n; k += 8) {
    if (anyHighByte(loadWord(text + k))) {
      // The byte that ends the run is among these eight: no end check is needed before it.
      for (; text[k] < 0x80; ++k) out[k] = text[k];
      return k;
    }
    for (int i = 0; i < 8; ++i) out[k + i] = text[k + i];
  }
  for (; k < n && text[k] < 0x80; ++k) out[k] = text[k];
  return k;
}

// Writes the 2n bytes of the units of n ASCII characters (all below 0x80) to wire.
inline void widenAscii(const char* text, std::size_t n, char* wire) {
  std::size_t k = 0;
  if (kWordsAreLittleEndian) {
    for (; k + 4 <= n; k += 4) {
      std::uint32_t four;
      std::memcpy(&four, text + k, 4);
      // c0 c1 c2 c3 -> 00 c0 00 c1 00 c2 00 c3 in memory.
      std::uint64_t w = four;
      w = (w | (w << 16)) & 0x0000FFFF0000FFFFULL;
      w = (w | (w << 8)) & 0x00FF00FF00FF00FFULL;
      w <<= 8;
      std::memcpy(wire + 2 * k, &w, 8);
    }
  }
  for (; k < n; ++k) {
    wire[2 * k] = 0;
    wire[2 * k + 1] = text[k];
  }
}

// Four units as the 16-bit lanes of a little-endian word: when each is ASCII and not zero,
// stores their four bytes at out and returns true.
inline bool narrowFourLanes(std::uint64_t lanes, char* out) {
  if ((lanes & 0xFF80FF80FF80FF80ULL) != 0) return false;
  // None of them zero: adding 0x7FFF to a lane of at most 0x7F sets its top bit exactly when
  // the lane is not zero, and never carries into the next lane.
  if (((lanes + 0x7FFF7FFF7FFF7FFFULL) & 0x8000800080008000ULL) != 0x8000800080008000ULL) return false;
  std::uint64_t x = (lanes | (lanes >> 8)) & 0x0000FFFF0000FFFFULL;
  x = (x | (x >> 16)) & 0xFFFFFFFFULL;
  const std::uint32_t four = static_cast<std::uint32_t>(x);
  std::memcpy(out, &four, 4);
  return true;
}

// Copies the characters of the leading units of wire (n big-endian units) that are ASCII and
// not zero to out; returns how many. The unit there, if any, is zero or needs the code page.
inline std::size_t narrowAscii(const unsigned char* wire, std::size_t n, char* out) {
  std::size_t k = 0;
  if (kWordsAreLittleEndian) {
    for (std::uint64_t w; k + 4 <= n; k += 4) {
      std::memcpy(&w, wire + 2 * k, 8);
      // The high bytes (even offsets) must be zero; the low ones then form the lanes.
      if ((w & 0x00FF00FF00FF00FFULL) != 0 || !narrowFourLanes(w >> 8, out + k)) break;
    }
  }
  for (; k < n; ++k) {
    if (wire[2 * k] != 0 || wire[2 * k + 1] == 0 || wire[2 * k + 1] >= 0x80) break;
    out[k] = static_cast<char>(wire[2 * k + 1]);
  }
  return k;
}

// The same for units already in the machine's order: copies the leading ASCII units that are
// not zero to out as bytes and returns how many.
inline std::size_t narrowAsciiUnits(const char16_t* units, std::size_t n, char* out) {
  std::size_t k = 0;
  if (kWordsAreLittleEndian) {
    for (std::uint64_t lanes; k + 4 <= n; k += 4) {
      std::memcpy(&lanes, units + k, 8);
      if (!narrowFourLanes(lanes, out + k)) break;
    }
  }
  for (; k < n && units[k] != 0 && units[k] < 0x80; ++k) out[k] = static_cast<char>(units[k]);
  return k;
}

}  // namespace torv::stream
