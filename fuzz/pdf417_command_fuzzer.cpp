// SPDX-License-Identifier: Apache-2.0
// The pdf417 command's command line and data text: any arguments go through the option parser,
// any bytes through the UTF-8 reader.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "options.h"
#include "text_input.h"

namespace {

using torv::fuzz::FuzzInput;

// UTF-16 back to UTF-8, written here independently of the reader under test.
std::string toUtf8(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | code >> 18);
      out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

void checkOptions(const std::vector<std::string>& arguments) {
  torv::tools::Options o;
  try {
    o = torv::tools::parseOptions(arguments);
  } catch (const torv::tools::UsageError& refusal) {
    FUZZ_CHECK(refusal.what()[0] != '\0');
    return;
  }
  if (o.help || o.version) return;  // nothing else is checked then
  FUZZ_CHECK(o.rows == 0 || (o.rows >= 3 && o.rows <= 90));
  FUZZ_CHECK(o.columns >= 0 && o.columns <= 30);
  FUZZ_CHECK(o.rows == 0 || o.columns == 0 || o.rows * o.columns <= 928);
  FUZZ_CHECK(o.level >= -1 && o.level <= 8);
  FUZZ_CHECK(o.xScale >= 1 && o.xScale <= 20 && o.yScale >= 1 && o.yScale <= 25);
  FUZZ_CHECK(o.xScale + o.yScale - 1 <= 25);
  FUZZ_CHECK(o.dpi >= 1 && o.dpi <= 9600);
  FUZZ_CHECK(std::isfinite(o.scale) && o.scale > 0.0f && o.scale <= 100.0f);
  FUZZ_CHECK(o.quietModules >= 0 && o.quietModules <= 100);
  FUZZ_CHECK(o.format == "png" || o.format == "bmp" || o.format == "svg");
  FUZZ_CHECK(!(o.text && o.dataFile));
  FUZZ_CHECK(!(o.print && o.scale != 1.0f));
}

void checkText(const std::string& bytes) {
  std::u16string text;
  try {
    text = torv::tools::utf8ToUtf16(bytes);
  } catch (const torv::tools::InputError&) {
    return;
  }
  // Accepted text is exactly the bytes, without a NUL the plug-in's texts cannot carry.
  FUZZ_CHECK(toUtf8(text) == bytes);
  FUZZ_CHECK(text.find(u'\0') == std::u16string::npos);
  const int outside = torv::tools::charactersOutsideCodePage(text);
  FUZZ_CHECK(outside >= 0 && static_cast<std::size_t>(outside) <= text.size());
}

}  // namespace

// Layout: a count of arguments, the arguments each ended by a zero byte, then the data bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const unsigned count = input.byte() % 16;
  std::vector<std::string> arguments;
  std::string current;
  while (arguments.size() < count && !input.empty()) {
    const std::uint8_t b = input.byte();
    if (b == 0) {
      arguments.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(b);
    }
  }
  if (arguments.size() < count) arguments.push_back(current);
  checkOptions(arguments);
  const std::vector<std::uint8_t> rest = input.rest();
  checkText(std::string(rest.begin(), rest.end()));
  return 0;
}
