// SPDX-License-Identifier: Apache-2.0
#include "stream/modified_utf8.h"

#include <cstring>

#include "platform/code_page.h"
#include "stream/exceptions.h"
#include "stream/text_codec.h"

std::string decodeUTF(const char* text) {
  if (text == nullptr) return std::string();
  std::u16string units;
  const std::size_t n = std::strlen(text);
  units.reserve(n);
  if (!torv::stream::decodeModifiedUtf8(reinterpret_cast<const unsigned char*>(text), n, units)) {
    throw CZException(torv::stream::kMalformedUtfMessage);
  }
  return torv::stream::unitsToAnsi(units);
}

char* encodeUTF(const std::string& s) {
  std::u16string units;
  if (!torv::stream::ansiToUnits(s, units)) {
    // Read the code before anything else (the allocation of the exception) can change it.
    const int code = torv::platform::lastError();
    throw CZException(torv::stream::conversionFailureMessage("UTFDataFormatException", code));
  }
  const long long utflen = torv::stream::modifiedUtf8Length(units);
  if (utflen > 65535) throw CZException("UTFDataFormatException()");
  char* buffer = new char[static_cast<std::size_t>(utflen) + 1];
  torv::stream::encodeModifiedUtf8(units, buffer);
  buffer[utflen] = '\0';
  return buffer;
}
