// SPDX-License-Identifier: Apache-2.0
// The process's ANSI code page on Windows: CP_ACP, no flags, the code page's default character.
#include <windows.h>

#include "platform/process_code_page.h"

namespace torv::platform {

int utf16ToProcessAnsi(const char16_t* source, int sourceLength, char* destination, int destinationCapacity) {
  return WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(source), sourceLength, destination,
                             destinationCapacity, nullptr, nullptr);
}

}  // namespace torv::platform
