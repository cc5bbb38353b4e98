// SPDX-License-Identifier: Apache-2.0
// Texts between the terminal (UTF-8) and the library's 8-bit Windows-1252 strings.
#pragma once

#include <string>

namespace torv::tools {

// UTF-8 to Windows-1252; what the code page cannot hold becomes '?'.
std::string utf8ToAnsi(const std::string& utf8);
// Windows-1252 to UTF-8.
std::string ansiToUtf8(const std::string& ansi);

}  // namespace torv::tools
