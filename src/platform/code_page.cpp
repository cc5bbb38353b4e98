// SPDX-License-Identifier: Apache-2.0
#include "platform/code_page.h"

#include <cerrno>

namespace torv::platform {
namespace {

// Windows-1252 bytes 0x80..0x9F; the undefined ones map to the C1 control of the same value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

int fail(int code) {
  setLastError(code);
  return 0;
}

}  // namespace

int lastError() { return errno; }
void setLastError(int code) { errno = code; }

bool isAnsiLeadByte(unsigned char) { return false; }

char16_t ansiByteToUtf16(unsigned char byte) {
  // Without a branch: text mixes the ranges too often for one to be predicted.
  const unsigned high = static_cast<unsigned>(byte) - 0x80u;
  return high < 32 ? kHighControls[high] : byte;
}

char utf16UnitToAnsi(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  // The characters of 0x80..0x9F live in a few places of UTF-16; elsewhere nothing is found,
  // and the common accented letters above never come this far.
  if (unit > 0x2122 || (unit >= 0x200 && unit < 0x2000 && unit != 0x2C6 && unit != 0x2DC)) return '?';
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == unit) return static_cast<char>(0x80 + i);
  }
  return '?';
}

int ansiToUtf16(const char* source, int sourceLength, char16_t* destination, int destinationCapacity) {
  if (source == nullptr || sourceLength == 0 || sourceLength < -1 || destinationCapacity < 0 ||
      (destinationCapacity > 0 && destination == nullptr)) {
    return fail(kErrorInvalidParameter);
  }
  std::size_t length = 0;
  if (sourceLength == -1) {
    while (source[length] != '\0') ++length;
    ++length;  // the terminator is converted too
  } else {
    length = static_cast<std::size_t>(sourceLength);
  }
  // Every 1252 byte is one UTF-16 unit.
  if (destinationCapacity == 0) return static_cast<int>(length);
  if (length > static_cast<std::size_t>(destinationCapacity)) return fail(kErrorInsufficientBuffer);
  for (std::size_t i = 0; i < length; ++i) {
    destination[i] = ansiByteToUtf16(static_cast<unsigned char>(source[i]));
  }
  return static_cast<int>(length);
}

int utf16ToAnsi(const char16_t* source, int sourceLength, char* destination, int destinationCapacity) {
  if (source == nullptr || sourceLength == 0 || sourceLength < -1 || destinationCapacity < 0 ||
      (destinationCapacity > 0 && destination == nullptr)) {
    return fail(kErrorInvalidParameter);
  }
  std::size_t length = 0;
  if (sourceLength == -1) {
    while (source[length] != 0) ++length;
    ++length;
  } else {
    length = static_cast<std::size_t>(sourceLength);
  }
  // A well-formed surrogate pair is one character and so one '?'. No unit gives more than one
  // byte, so a destination as long as the source needs no counting pass first.
  if (length > static_cast<std::size_t>(destinationCapacity)) {
    std::size_t produced = 0;
    for (std::size_t i = 0; i < length; ++i) {
      if (isHighSurrogate(source[i]) && i + 1 < length && isLowSurrogate(source[i + 1])) ++i;
      ++produced;
    }
    if (destinationCapacity == 0) return static_cast<int>(produced);
    if (produced > static_cast<std::size_t>(destinationCapacity)) return fail(kErrorInsufficientBuffer);
  }
  // Most text is ASCII: runs of eight ASCII units are copied as they are, in one go.
  std::size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    char16_t any = 0;
    for (int k = 0; k < 8; ++k) any |= source[i + k];
    if (any >= 0x80) break;
    for (int k = 0; k < 8; ++k) destination[i + k] = static_cast<char>(source[i + k]);
  }
  std::size_t out = i;
  for (; i < length; ++i) {
    if (source[i] < 0x80) {
      destination[out++] = static_cast<char>(source[i]);
      continue;
    }
    if (isHighSurrogate(source[i]) && i + 1 < length && isLowSurrogate(source[i + 1])) {
      ++i;
      destination[out++] = '?';
      continue;
    }
    destination[out++] = utf16UnitToAnsi(source[i]);
  }
  return static_cast<int>(out);
}

}  // namespace torv::platform
