// SPDX-License-Identifier: Apache-2.0
// This port has one code page for the process and every thread: Windows-1252.
#include "platform/process_code_page.h"

#include "platform/code_page.h"

namespace torv::platform {

int utf16ToProcessAnsi(const char16_t* source, int sourceLength, char* destination, int destinationCapacity) {
  return utf16ToAnsi(source, sourceLength, destination, destinationCapacity);
}

}  // namespace torv::platform
