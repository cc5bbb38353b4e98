// SPDX-License-Identifier: Apache-2.0
// The data of the pdf417 command: read from an argument, a file or standard input as UTF-8 and
// handed to the plug-in as UTF-16.
#pragma once

#include <stdexcept>
#include <string>

namespace torv::tools {

class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// All bytes of the file, or of standard input for "-"; InputError when it cannot be read.
std::string readDataFile(const std::string& path);

// UTF-8 to NUL-terminated-ready UTF-16. InputError for malformed UTF-8 or a NUL character,
// which the plug-in's NUL-terminated text cannot carry.
std::u16string utf8ToUtf16(const std::string& bytes);

// How many characters of the text Windows-1252 cannot hold (they are drawn as '?').
int charactersOutsideCodePage(const std::u16string& text);

// The characters of the text that Windows-1252 holds as bytes 0x80 to 0x9F, each once, in the order
// they first come. Readers take data without an ECI as ISO-8859-1 and return those bytes as the
// control characters U+0080 to U+009F, not as these characters.
std::u16string charactersReadAsControls(const std::u16string& text);

}  // namespace torv::tools
