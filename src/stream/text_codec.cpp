#include "stream/text_codec.h"

#include <climits>

#include "platform/code_page.h"

namespace torv::stream {

const char kMalformedUtfMessage[] =
    "UTFDataFormatException. A malformed UTF-8 string has been read in a data input stream.";
const char kEofMessage[] = "EOFException. End of stream has been reached unexpectedly during input.";

bool ansiToUnits(const std::string& text, std::u16string& units) {
  units.clear();
  if (text.empty()) return true;
  if (text.size() > static_cast<std::size_t>(INT_MAX)) {
    platform::setLastError(platform::kErrorInvalidParameter);
    return false;
  }
  const int length = static_cast<int>(text.size());
  const int needed = platform::ansiToUtf16(text.data(), length, nullptr, 0);
  if (needed <= 0) return false;
  units.resize(static_cast<std::size_t>(needed));
  const int converted = platform::ansiToUtf16(text.data(), length, &units[0], needed);
  if (converted <= 0) {
    units.clear();
    return false;
  }
  units.resize(static_cast<std::size_t>(converted));
  return true;
}

std::string unitsToAnsi(const std::u16string& units) {
  std::size_t end = 0;
  while (end < units.size() && units[end] != 0) ++end;
  if (end == 0) return std::string();
  // Measure first: a double-byte ANSI code page may need more bytes than there are units.
  const int needed = platform::utf16ToAnsi(units.data(), static_cast<int>(end), nullptr, 0);
  if (needed <= 0) return std::string();
  std::string text(static_cast<std::size_t>(needed), '\0');
  const int produced = platform::utf16ToAnsi(units.data(), static_cast<int>(end), &text[0], needed);
  text.resize(produced > 0 ? static_cast<std::size_t>(produced) : 0);
  return text;
}

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

long long modifiedUtf8Length(const std::u16string& units) {
  long long length = 0;
  for (char16_t u : units) {
    if (u >= 0x0001 && u <= 0x007F) {
      length += 1;
    } else if (u > 0x07FF) {
      length += 3;
    } else {
      length += 2;
    }
  }
  return length;
}

void encodeModifiedUtf8(const std::u16string& units, char* out) {
  for (char16_t u : units) out += encodeModifiedUtf8Unit(u, out);
}

bool decodeModifiedUtf8(const unsigned char* bytes, std::size_t n, std::u16string& units) {
  std::size_t i = 0;
  while (i < n) {
    const unsigned c = bytes[i];
    switch (c >> 4) {
      case 0:
      case 1:
      case 2:
      case 3:
      case 4:
      case 5:
      case 6:
      case 7:
        units.push_back(static_cast<char16_t>(c));
        i += 1;
        break;
      case 12:
      case 13: {
        if (n - i < 2) return false;
        const unsigned b2 = bytes[i + 1];
        if ((b2 & 0xC0) != 0x80) return false;
        units.push_back(static_cast<char16_t>(((c & 0x1F) << 6) | (b2 & 0x3F)));
        i += 2;
        break;
      }
      case 14: {
        if (n - i < 3) return false;
        const unsigned b2 = bytes[i + 1];
        const unsigned b3 = bytes[i + 2];
        if ((b2 & 0xC0) != 0x80 || (b3 & 0xC0) != 0x80) return false;
        units.push_back(static_cast<char16_t>(((c & 0x0F) << 12) | ((b2 & 0x3F) << 6) | (b3 & 0x3F)));
        i += 3;
        break;
      }
      default:  // continuation bytes and 0xF0..0xFF cannot lead
        return false;
    }
  }
  return true;
}

}  // namespace torv::stream
