// SPDX-License-Identifier: Apache-2.0
// Modified UTF-8 (UTF-16 units one by one, U+0000 as C0 80, no four-byte forms) and the
// conversions between the library's 8-bit strings and UTF-16.
#pragma once

#include <string>

// Decodes a NUL-terminated modified UTF-8 text into an 8-bit string.
// Malformed input throws CZException.
std::string decodeUTF(const char* text);

// Encodes s as modified UTF-8 into a new NUL-terminated buffer (no length prefix) that
// the caller frees with delete[]. An encoding over 65535 bytes throws CZException.
char* encodeUTF(const std::string& s);
