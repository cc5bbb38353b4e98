// SPDX-License-Identifier: Apache-2.0
#include "text_input.h"

#include <cstdio>
#include <memory>

#include "command_system.h"
#include "platform/code_page.h"

namespace torv::tools {

std::string readDataFile(const std::string& path) {
  const bool standardInput = path == "-";
  if (standardInput) useBinaryMode(stdin);
  std::FILE* in = standardInput ? stdin : openFile(path, "rb");
  if (in == nullptr) throw InputError("cannot open the data file " + path);
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(standardInput ? nullptr : in, std::fclose);
  std::string data;
  char chunk[4096];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) data.append(chunk, got);
  if (std::ferror(in) != 0)
    throw InputError(standardInput ? "cannot read standard input" : "cannot read the data file " + path);
  return data;
}

std::u16string utf8ToUtf16(const std::string& bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    int extra = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      code = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, code = lead & 0x07;
    } else {
      throw InputError("the data is not valid UTF-8 (byte " + std::to_string(i) + ")");
    }
    if (extra > 0 && i + extra >= bytes.size()) {
      throw InputError("the data is not valid UTF-8 (it ends inside a character)");
    }
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) throw InputError("the data is not valid UTF-8 (byte " + std::to_string(i + k) + ")");
      code = code << 6 | (next & 0x3F);
    }
    const bool overlong = (extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000);
    if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      throw InputError("the data is not valid UTF-8 (byte " + std::to_string(i) + ")");
    }
    if (code == 0) throw InputError("the data holds a NUL character, which the plug-in cannot take");
    if (code >= 0x10000) {
      code -= 0x10000;
      text.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      text.push_back(static_cast<char16_t>(code));
    }
    i += 1 + extra;
  }
  return text;
}

int charactersOutsideCodePage(const std::u16string& text) {
  int count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      ++count;
      ++i;  // the low half of the pair
    } else if (unit != u'?' && platform::utf16UnitToAnsi(unit) == '?') {
      ++count;
    }
  }
  return count;
}

std::u16string charactersReadAsControls(const std::u16string& text) {
  std::u16string found;
  for (const char16_t unit : text) {
    const auto byte = static_cast<unsigned char>(platform::utf16UnitToAnsi(unit));
    if (byte >= 0x80 && byte <= 0x9F && unit != byte && found.find(unit) == std::u16string::npos) found += unit;
  }
  return found;
}

}  // namespace torv::tools
