// SPDX-License-Identifier: Apache-2.0
// Conversions shared by the data streams and the free UTF functions: 8-bit text to
// UTF-16 and back through the platform's code page, and modified UTF-8 over UTF-16 units.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "stream/unit_buffer.h"

namespace torv::stream {

extern const char kMalformedUtfMessage[];
extern const char kEofMessage[];

// 8-bit text to UTF-16 units (empty text gives no units). Returns false, with the
// platform's last-error code set, when the conversion fails.
bool ansiToUnits(std::string_view text, std::u16string& units);
bool ansiToUnits(std::string_view text, UnitBuffer& units);

// UTF-16 units to 8-bit text, stopping at the first zero unit.
std::string unitsToAnsi(const std::u16string& units);
std::string unitsToAnsi(const char16_t* units, std::size_t n);

// The message for a failed 8-bit to UTF-16 conversion, e.g. kind "UTFDataFormatException"
// and code 87 give "UTFDataFormatException. ERROR_INVALID_PARAMETER".
std::string conversionFailureMessage(const char* kind, int lastError);

// Number of bytes of the modified UTF-8 form of units.
long long modifiedUtf8Length(const std::u16string& units);
long long modifiedUtf8Length(const char16_t* units, std::size_t n);

// Writes the modified UTF-8 form of one unit to out (room for 3 bytes); returns its length.
inline int encodeModifiedUtf8Unit(char16_t u, char* out) {
  if (u >= 0x0001 && u <= 0x007F) {
    out[0] = static_cast<char>(u);
    return 1;
  }
  if (u > 0x07FF) {
    out[0] = static_cast<char>(0xE0 | ((u >> 12) & 0x0F));
    out[1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (u & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xC0 | ((u >> 6) & 0x1F));
  out[1] = static_cast<char>(0x80 | (u & 0x3F));
  return 2;
}

// Writes the modified UTF-8 form of units to out (room for modifiedUtf8Length bytes).
void encodeModifiedUtf8(const std::u16string& units, char* out);
// Returns the end of what it wrote.
char* encodeModifiedUtf8(const char16_t* units, std::size_t n, char* out);

// Encodes 8-bit text straight to modified UTF-8 at out, which has room for three bytes per
// byte of text (a byte is at most one unit): ASCII directly, the runs between through the
// code page. Returns the end of what it wrote, or null when the code page fails.
char* encodeAnsiAsModifiedUtf8(const std::string& text, char* out);

// Decodes n bytes of modified UTF-8 and appends the units; false when malformed.
bool decodeModifiedUtf8(const unsigned char* bytes, std::size_t n, std::u16string& units);
bool decodeModifiedUtf8(const unsigned char* bytes, std::size_t n, UnitBuffer& units);

}  // namespace torv::stream
