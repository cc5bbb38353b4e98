// SPDX-License-Identifier: Apache-2.0
// Conversion of UTF-16 text to the process's ANSI code page. The stream readers convert to the
// calling thread's code page (code_page.h); texts that are drawn go to the process's one, which
// differs when the thread's locale was changed.
#pragma once

namespace torv::platform {

// Same length, measuring and failure conventions as utf16ToAnsi (code_page.h).
int utf16ToProcessAnsi(const char16_t* source, int sourceLength, char* destination, int destinationCapacity);

}  // namespace torv::platform
