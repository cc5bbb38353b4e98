// SPDX-License-Identifier: Apache-2.0
#include "stream/text_codec.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/code_page.h"
#include "stream/ascii_units.h"

namespace torv::stream {

const char kMalformedUtfMessage[] =
    "UTFDataFormatException. A malformed UTF-8 string has been read in a data input stream.";
const char kEofMessage[] = "EOFException. End of stream has been reached unexpectedly during input.";

namespace {

// Units of a non-ASCII run that are converted without measuring first.
constexpr int kShortRun = 64;

// The whole text through the platform in one conversion: measure, then convert.
std::string unitsToAnsiAtOnce(const char16_t* units, std::size_t n) {
  std::size_t end = 0;
  while (end < n && units[end] != 0) ++end;
  if (end == 0) return std::string();
  // Measure first: a double-byte ANSI code page may need more bytes than there are units.
  const int needed = platform::utf16ToAnsi(units, static_cast<int>(end), nullptr, 0);
  if (needed <= 0) return std::string();
  std::string text(static_cast<std::size_t>(needed), '\0');
  const int produced = platform::utf16ToAnsi(units, static_cast<int>(end), &text[0], needed);
  text.resize(produced > 0 ? static_cast<std::size_t>(produced) : 0);
  return text;
}

}  // namespace

bool ansiToUnits(std::string_view text, UnitBuffer& units) {
  units.clear();
  if (text.empty()) return true;
  if (text.size() > static_cast<std::size_t>(INT_MAX)) {
    platform::setLastError(platform::kErrorInvalidParameter);
    return false;
  }
  // ASCII reads the same in every ANSI code page: widen it without the platform.
  if (isAscii(text.data(), text.size())) {
    char16_t* out = units.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) out[i] = static_cast<unsigned char>(text[i]);
    units.resize(text.size());
    return true;
  }
  // No byte becomes more than one unit, so the room is known without measuring.
  const int length = static_cast<int>(text.size());
  const int converted = platform::ansiToUtf16(text.data(), length, units.reserve(text.size()), length);
  if (converted <= 0) return false;
  units.resize(static_cast<std::size_t>(converted));
  return true;
}

bool ansiToUnits(std::string_view text, std::u16string& units) {
  UnitBuffer buffer;
  const bool converted = ansiToUnits(text, buffer);
  units.assign(buffer.data(), buffer.data() + (converted ? buffer.size() : 0));
  return converted;
}

std::string unitsToAnsi(const char16_t* units, std::size_t n) {
  // ASCII units are single bytes of the same value in every ANSI code page and never part
  // of a pair: the leading ones are copied, and the platform converts the rest in one call.
  std::string text(n, '\0');
  const std::size_t ascii = narrowAsciiUnits(units, n, &text[0]);
  if (ascii == n || units[ascii] == 0) {
    text.resize(ascii);
    return text;
  }
  const std::size_t rest = n - ascii;
  // Without measuring: no ANSI code page but UTF-8 takes more than two bytes for a unit, and
  // a conversion that finds the room too small measures after all.
  if (rest > static_cast<std::size_t>(INT_MAX) / 2) return unitsToAnsiAtOnce(units, n);
  text.resize(ascii + 2 * rest);
  const int produced =
      platform::utf16ToAnsi(units + ascii, static_cast<int>(rest), &text[ascii], static_cast<int>(2 * rest));
  if (produced <= 0) return unitsToAnsiAtOnce(units, n);
  // A zero unit ends the text. Only the zero unit becomes a zero byte: no code page uses the
  // byte in a sequence of more than one.
  const char* converted = text.data() + ascii;
  const void* zero = std::memchr(converted, 0, static_cast<std::size_t>(produced));
  text.resize(zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - text.data())
                              : ascii + static_cast<std::size_t>(produced));
  return text;
}

std::string unitsToAnsi(const std::u16string& units) { return unitsToAnsi(units.data(), units.size()); }

std::string conversionFailureMessage(const char* kind, int lastError) {
  const char* name = "ERROR_INVALID_PARAMETER";
  switch (lastError) {
    case platform::kErrorInsufficientBuffer:
      name = "ERROR_INSUFFICIENT_BUFFER";
      break;
    case platform::kErrorInvalidFlags:
      name = "ERROR_INVALID_FLAGS";
      break;
    case platform::kErrorNoUnicodeTranslation:
      name = "ERROR_NO_UNICODE_TRANSLATION";
      break;
    default:  // 87, and any code the conversion should never report
      break;
  }
  return std::string(kind) + ". " + name;
}

long long modifiedUtf8Length(const char16_t* units, std::size_t n) {
  long long length = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned u = units[i];
    // One byte for 0x0001..0x007F, a second one for the rest, a third one above 0x07FF.
    length += 1 + (u - 1u >= 0x7Fu) + (u > 0x7FFu);
  }
  return length;
}

long long modifiedUtf8Length(const std::u16string& units) { return modifiedUtf8Length(units.data(), units.size()); }

char* encodeModifiedUtf8(const char16_t* units, std::size_t n, char* out) {
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t u = units[i];
    if (u - 1u < 0x7Fu) {
      *out++ = static_cast<char>(u);
    } else {
      out += encodeModifiedUtf8Unit(u, out);
    }
  }
  return out;
}

void encodeModifiedUtf8(const std::u16string& units, char* out) { encodeModifiedUtf8(units.data(), units.size(), out); }

char* encodeAnsiAsModifiedUtf8(const std::string& text, char* out) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    // Bytes that stand for themselves, a word at a time.
    const std::size_t plain = copyPlainAscii(bytes + i, n - i, out);
    out += plain;
    i += plain;
    if (i == n) break;
    if (bytes[i] == 0) {
      out += encodeModifiedUtf8Unit(0, out);
      ++i;
      continue;
    }
    // A run of non-ASCII characters; a lead byte takes the next byte with it.
    std::size_t j = i;
    while (j < n && bytes[j] >= 0x80) j += platform::isAnsiLeadByte(static_cast<unsigned char>(bytes[j])) ? 2 : 1;
    if (j > n) j = n;
    const int run = static_cast<int>(j - i);
    char16_t local[kShortRun];
    std::unique_ptr<char16_t[]> longRun;
    char16_t* units = local;
    if (run > kShortRun) {
      longRun.reset(new char16_t[static_cast<std::size_t>(run)]);
      units = longRun.get();
    }
    const int converted = platform::ansiToUtf16(text.data() + i, run, units, run);
    if (converted <= 0) return nullptr;
    out = encodeModifiedUtf8(units, static_cast<std::size_t>(converted), out);
    i = j;
  }
  return out;
}

bool decodeModifiedUtf8(const unsigned char* bytes, std::size_t n, UnitBuffer& units) {
  // Every unit takes at least one byte, so n more units always suffice.
  const std::size_t start = units.size();
  char16_t* out = units.reserve(start + n) + start;
  char16_t* const first = out;
  std::size_t i = 0;
  while (i < n) {
    // ASCII a word at a time, one unit each.
    const std::size_t ascii = widenLeadingAscii(bytes + i, n - i, out);
    out += ascii;
    i += ascii;
    if (i == n) break;
    const unsigned c = bytes[i];
    if ((c >> 5) == 0x6) {  // 0xC0..0xDF
      if (n - i < 2) return false;
      const unsigned b2 = bytes[i + 1];
      if ((b2 & 0xC0) != 0x80) return false;
      *out++ = static_cast<char16_t>(((c & 0x1F) << 6) | (b2 & 0x3F));
      i += 2;
    } else if ((c >> 4) == 0xE) {
      if (n - i < 3) return false;
      const unsigned b2 = bytes[i + 1];
      const unsigned b3 = bytes[i + 2];
      if ((b2 & 0xC0) != 0x80 || (b3 & 0xC0) != 0x80) return false;
      *out++ = static_cast<char16_t>(((c & 0x0F) << 12) | ((b2 & 0x3F) << 6) | (b3 & 0x3F));
      i += 3;
    } else {  // continuation bytes and 0xF0..0xFF cannot lead
      return false;
    }
  }
  units.resize(start + static_cast<std::size_t>(out - first));
  return true;
}

bool decodeModifiedUtf8(const unsigned char* bytes, std::size_t n, std::u16string& units) {
  UnitBuffer buffer;
  if (!decodeModifiedUtf8(bytes, n, buffer)) return false;
  units.append(buffer.data(), buffer.size());
  return true;
}

}  // namespace torv::stream
