// SPDX-License-Identifier: Apache-2.0
// Code page services of this port: the ANSI code page is Windows-1252, fixed.
// The two conversions follow the calling conventions of the Windows services they
// stand in for, so callers written against those services keep their logic.
#pragma once

#include <cstddef>

namespace torv::platform {

// Last-error codes that the conversions report.
constexpr int kErrorInvalidParameter = 87;        // ERROR_INVALID_PARAMETER
constexpr int kErrorInsufficientBuffer = 122;     // ERROR_INSUFFICIENT_BUFFER
constexpr int kErrorInvalidFlags = 1004;          // ERROR_INVALID_FLAGS
constexpr int kErrorNoUnicodeTranslation = 1113;  // ERROR_NO_UNICODE_TRANSLATION

// The calling thread's last error code (errno on Linux).
int lastError();
void setLastError(int code);

// 8-bit ANSI text to UTF-16. sourceLength -1 means NUL-terminated (the terminator is
// converted too). destinationCapacity 0 measures: returns the units needed and writes
// nothing. Returns the number of units written, or 0 on failure with the last error set
// (87 for bad arguments, 122 when the destination is too small).
int ansiToUtf16(const char* source, int sourceLength, char16_t* destination, int destinationCapacity);

// UTF-16 to 8-bit ANSI text; characters that Windows-1252 cannot hold become '?'.
// Same length, measuring and failure conventions as ansiToUtf16.
int utf16ToAnsi(const char16_t* source, int sourceLength, char* destination, int destinationCapacity);

// Whether the byte starts a two-byte character in the ANSI code page (never, in Windows-1252).
bool isAnsiLeadByte(unsigned char byte);

// The UTF-16 unit for one Windows-1252 byte (the five undefined bytes map to U+0081 etc.).
char16_t ansiByteToUtf16(unsigned char byte);

// The Windows-1252 byte for a UTF-16 unit, or '?' when the code page cannot hold it.
char utf16UnitToAnsi(char16_t unit);

}  // namespace torv::platform
