// SPDX-License-Identifier: Apache-2.0
#include "terminal_text.h"

#include "platform/code_page.h"

namespace torv::tools {

namespace {

// Decodes one UTF-8 sequence at text[i]; a malformed one gives U+FFFD.
char32_t nextCodePoint(const std::string& text, std::size_t& i) {
  const unsigned char lead = static_cast<unsigned char>(text[i++]);
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (lead >= 0x80 && extra == 0) return 0xFFFD;
  char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
  for (; extra > 0; --extra) {
    if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0xFFFD;
    code = (code << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
  }
  return code;
}

void appendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

}  // namespace

std::string utf8ToAnsi(const std::string& utf8) {
  std::string ansi;
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t code = nextCodePoint(utf8, i);
    ansi.push_back(code > 0xFFFF ? '?' : platform::utf16UnitToAnsi(static_cast<char16_t>(code)));
  }
  return ansi;
}

std::string ansiToUtf8(const std::string& ansi) {
  std::string utf8;
  for (unsigned char c : ansi) appendUtf8(utf8, platform::ansiByteToUtf16(c));
  return utf8;
}

}  // namespace torv::tools
