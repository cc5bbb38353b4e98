// SPDX-License-Identifier: Apache-2.0
// Code page services on Windows: the system's own conversions and the thread's last error.
// 8-bit text is converted from the system ANSI code page; UTF-16 text back to the calling
// thread's ANSI code page, so readers follow the thread's locale as the platform intends.
#include <windows.h>

#include "platform/code_page.h"

namespace torv::platform {
namespace {

// char16_t and the platform's 16-bit wide character hold the same UTF-16 units.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

LPCWSTR wide(const char16_t* text) { return reinterpret_cast<LPCWSTR>(text); }
LPWSTR wide(char16_t* text) { return reinterpret_cast<LPWSTR>(text); }

}  // namespace

int lastError() { return static_cast<int>(GetLastError()); }
void setLastError(int code) { SetLastError(static_cast<DWORD>(code)); }

int ansiToUtf16(const char* source, int sourceLength, char16_t* destination, int destinationCapacity) {
  return MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, source, sourceLength, wide(destination), destinationCapacity);
}

int utf16ToAnsi(const char16_t* source, int sourceLength, char* destination, int destinationCapacity) {
  return WideCharToMultiByte(CP_THREAD_ACP, 0, wide(source), sourceLength, destination, destinationCapacity, nullptr,
                             nullptr);
}

bool isAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByteEx(CP_ACP, byte) != 0; }

char16_t ansiByteToUtf16(unsigned char byte) {
  const char source = static_cast<char>(byte);
  wchar_t unit = 0;
  if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, &source, 1, &unit, 1) != 1) return u'?';
  return static_cast<char16_t>(unit);
}

char utf16UnitToAnsi(char16_t unit) {
  const wchar_t source = static_cast<wchar_t>(unit);
  char bytes[4] = {};
  // A unit that needs more than one byte (a double-byte code page) has no single-byte form.
  if (WideCharToMultiByte(CP_THREAD_ACP, 0, &source, 1, bytes, sizeof bytes, nullptr, nullptr) != 1) return '?';
  return bytes[0];
}

}  // namespace torv::platform
