// SPDX-License-Identifier: Apache-2.0
// The barcode plug-in's exported functions with any attribute names and values, any saved records
// and any data texts, then measuring and drawing into a small surface whose row padding must stay
// untouched.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "torvc_pdf417.h"

namespace {

using torv::fuzz::FuzzInput;

constexpr unsigned char kUntouched = 0x5A;
// Data texts reach past the largest symbol, so the too-long paths run as well.
constexpr std::size_t kMaxDataUnits = 2000;

// A terminated UTF-16 text; the length in units comes first.
std::u16string wideText(FuzzInput& input, std::size_t maxUnits) {
  std::u16string text;
  const std::size_t n = input.below(static_cast<unsigned>(maxUnits + 1));
  for (std::size_t i = 0; i < n && !input.empty(); ++i) {
    const std::uint8_t kind = input.byte();
    // Mostly digits, signs and spaces (what attribute values look like), else any unit.
    if (kind < 160) {
      static const char kChars[] = "0123456789-+ \t9";
      text.push_back(static_cast<char16_t>(kChars[kind % (sizeof kChars - 1)]));
    } else if (kind < 230) {
      text.push_back(static_cast<char16_t>(input.byte()));
    } else {
      text.push_back(static_cast<char16_t>(input.u16()));
    }
  }
  return text;
}

const char16_t* const kNames[] = {u"PDF417_ROWNUM", u"PDF417_COLNUM", u"PDF417_ECC", u"PDF417_XSCALE",
                                  u"PDF417_YSCALE"};

std::u16string attributeName(FuzzInput& input) {
  const std::uint8_t choice = input.byte();
  if (choice < 200) return kNames[choice % 5];
  if (choice < 220) return std::u16string(kNames[choice % 5]) + u"X";
  return wideText(input, 16);
}

float anyScale(FuzzInput& input) {
  switch (input.byte() % 10) {
    case 0:
      return 0.0f;
    case 1:
      return -1.0f;
    case 2:
      return std::numeric_limits<float>::quiet_NaN();
    case 3:
      return std::numeric_limits<float>::infinity();
    case 4:
      return 1e30f;
    case 5: {
      const std::uint32_t bits = input.u32();
      float f;
      std::memcpy(&f, &bits, sizeof f);
      return f;
    }
    default:
      return static_cast<float>(input.byte()) / 64.0f;
  }
}

struct Surface {
  Surface(FuzzInput& input) {
    context.width = input.byte() % 48;
    context.height = input.byte() % 48;
    const int dpi[] = {96, 72, 300, 0, -96, 1, 600, 2400};
    context.dpiX = dpi[input.byte() % 8];
    context.dpiY = dpi[input.byte() % 8];
    padding = input.byte() % 8;
    context.stride = 4 * context.width + static_cast<int>(padding);
    memory.assign(static_cast<std::size_t>(context.stride) * static_cast<std::size_t>(context.height), kUntouched);
    context.pixels = memory.empty() ? nullptr : memory.data();
  }

  // Bytes after each row's pixels belong to nobody: drawing must not touch them.
  void checkPadding() const {
    for (int y = 0; y < context.height; ++y) {
      for (std::size_t i = 0; i < padding; ++i) {
        FUZZ_CHECK(memory[static_cast<std::size_t>(y) * context.stride + 4 * context.width + i] == kUntouched);
      }
    }
  }

  TorvDeviceContext context{};
  std::size_t padding = 0;
  std::vector<unsigned char> memory;
};

// The value a decimal text stores: white space skipped, an optional sign, the digits up to the
// first other character, clamped to the 32-bit range. False where the text leaves it open whether
// a unit outside ASCII counts as white space or digit.
bool expectedValue(const std::u16string& text, long long& value) {
  std::size_t i = 0;
  auto space = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
  while (i < text.size() && space(text[i])) ++i;
  if (i < text.size() && text[i] >= 0x80) return false;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  long long magnitude = 0;
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
    magnitude = std::min(magnitude * 10 + (text[i++] - u'0'), 1LL << 32);
  }
  if (i < text.size() && text[i] >= 0x80) return false;
  value = std::max<long long>(INT32_MIN, std::min<long long>(INT32_MAX, negative ? -magnitude : magnitude));
  return true;
}

void checkStoredValue(TorvPdf417Comp* instance, const std::u16string& name, long long value) {
  char16_t buffer[16];
  FUZZ_CHECK(getAttr(instance, name.c_str(), buffer, 16) == 1);
  const std::string expected = std::to_string(value);
  FUZZ_CHECK(std::u16string(buffer) == std::u16string(expected.begin(), expected.end()));
}

void checkAttributeReads(TorvPdf417Comp* instance, const std::u16string& name, FuzzInput& input) {
  const int length = getAttrLength(instance, name.c_str());
  const bool known = length != -1;
  if (known) FUZZ_CHECK(length >= 2 && length <= 12);  // "-2147483648" and its terminator

  const int bufferLength = input.byte() % 16 == 0 ? -1 : input.byte() % 16;
  std::vector<char16_t> buffer(bufferLength > 0 ? static_cast<std::size_t>(bufferLength) : 1, u'#');
  const int ok = getAttr(instance, name.c_str(), buffer.data(), bufferLength);
  FUZZ_CHECK(ok == 0 || ok == 1);
  if (ok == 1) {
    FUZZ_CHECK(known && bufferLength >= length);
    FUZZ_CHECK(buffer[static_cast<std::size_t>(length - 1)] == u'\0');
    for (int i = 0; i + 1 < length; ++i) {
      const char16_t c = buffer[static_cast<std::size_t>(i)];
      FUZZ_CHECK((c >= u'0' && c <= u'9') || (i == 0 && c == u'-'));
    }
  } else {
    FUZZ_CHECK(!known || bufferLength < length);
    FUZZ_CHECK(buffer[0] == u'#');
  }
}

void step(FuzzInput& input, TorvPdf417Comp*& instance) {
  switch (input.byte() % 10) {
    case 9: {
      // Null instances and null names are refused, never followed.
      const std::u16string name = attributeName(input);
      char16_t buffer[16] = {u'#'};
      FUZZ_CHECK(getAttrLength(nullptr, name.c_str()) == -1);
      FUZZ_CHECK(getAttrLength(instance, nullptr) == -1);
      FUZZ_CHECK(getAttr(nullptr, name.c_str(), buffer, 16) == 0 && buffer[0] == u'#');
      FUZZ_CHECK(getAttr(instance, nullptr, buffer, 16) == 0 && buffer[0] == u'#');
      FUZZ_CHECK(getAttr(instance, name.c_str(), nullptr, 16) == 0);
      FUZZ_CHECK(setAttr(instance, nullptr, u"5") == 0);
      FUZZ_CHECK(setAttr(nullptr, name.c_str(), u"5") == 0);
      int length = -1;
      FUZZ_CHECK(writeMe(nullptr, &length) == nullptr && length == 0);
      FUZZ_CHECK(GetCopyInstance(nullptr) == nullptr);
      DeleteInstance(nullptr);
      float width = -5.0f, height = -5.0f;
      getAutosize(nullptr, nullptr, nullptr, &width, &height);
      FUZZ_CHECK(width == -5.0f && height == -5.0f);
      paint(nullptr, nullptr, nullptr, 0, 0, 0, 0, 1);
      print(instance, nullptr, u"x", 0, 0, 0, 0, 1, 0, 0);
      break;
    }
    case 8: {
      const int n = input.byte() % 4 == 0 ? input.interestingInt() : input.byte() % 8;
      // Room for min(n, 8) names: the library writes at most five.
      const int room = n > 0 ? std::min(n, 8) : 1;
      std::vector<const char16_t*> names(static_cast<std::size_t>(room), nullptr);
      const bool nullArray = input.byte() % 16 == 0;
      const int ok = getAttrList(instance, nullArray ? nullptr : names.data(), n);
      FUZZ_CHECK(ok == ((n < 0 || (nullArray && n > 0)) ? 0 : 1));
      for (int i = 0; ok == 1 && !nullArray && i < std::min(n, room); ++i) {
        if (i < 5) {
          FUZZ_CHECK(names[static_cast<std::size_t>(i)] != nullptr &&
                     std::u16string(names[static_cast<std::size_t>(i)]) == kNames[i]);
        } else {
          FUZZ_CHECK(names[static_cast<std::size_t>(i)] == nullptr);
        }
      }
      break;
    }
    case 0: {
      const std::u16string name = attributeName(input);
      const std::u16string value = wideText(input, 24);
      const bool nullValue = input.byte() % 16 == 0;
      const int ok = setAttr(instance, name.c_str(), nullValue ? nullptr : value.c_str());
      FUZZ_CHECK(ok == 0 || ok == 1);
      FUZZ_CHECK((ok == 1) == (getAttrLength(instance, name.c_str()) != -1));
      long long stored = 0;
      if (ok == 1 && (nullValue || expectedValue(value, stored))) checkStoredValue(instance, name, stored);
      break;
    }
    case 1:
      checkAttributeReads(instance, attributeName(input), input);
      break;
    case 2: {
      const int length = input.byte() % 4 == 0 ? input.interestingInt() : 20;
      // The record holds at least the bytes the call says it has, and not one more.
      std::vector<std::uint8_t> record = input.bytes(24);
      if (length == 20 && record.size() < 20) record.resize(20);
      try {
        readMe(instance, record.empty() ? nullptr : record.data(), length);
        FUZZ_CHECK(length == 20);
      } catch (const std::invalid_argument&) {
        FUZZ_CHECK(length != 20);
      }
      break;
    }
    case 3: {
      int length = -1;
      unsigned char* record = writeMe(instance, &length);
      FUZZ_CHECK(record != nullptr && length == 20);
      // What was saved restores to the same attributes.
      TorvPdf417Comp* restored = GetNewInstance();
      FUZZ_CHECK(restored != nullptr);
      readMe(restored, record, length);
      int again = -1;
      unsigned char* second = writeMe(restored, &again);
      FUZZ_CHECK(second != nullptr && again == 20 && std::memcmp(record, second, 20) == 0);
      std::free(second);
      std::free(record);
      DeleteInstance(restored);
      break;
    }
    case 4: {
      TorvPdf417Comp* copy = GetCopyInstance(instance);
      FUZZ_CHECK(copy != nullptr);
      DeleteInstance(instance);
      instance = copy;
      break;
    }
    case 5: {
      Surface surface(input);
      const std::u16string data = wideText(input, kMaxDataUnits);
      float width = -5.0f, height = -5.0f;
      getAutosize(instance, input.flag() ? nullptr : &surface.context, data.c_str(), &width, &height);
      FUZZ_CHECK((width == -5.0f && height == -5.0f) || (std::isfinite(width) && std::isfinite(height)));
      break;
    }
    case 6: {
      Surface surface(input);
      const std::u16string data = wideText(input, kMaxDataUnits);
      const float left = anyScale(input), top = anyScale(input), scale = anyScale(input);
      paint(instance, &surface.context, input.byte() % 16 == 0 ? nullptr : data.c_str(), left, top, 0, 0, scale);
      surface.checkPadding();
      break;
    }
    default: {
      Surface surface(input);
      const std::u16string data = wideText(input, kMaxDataUnits);
      const float left = anyScale(input), top = anyScale(input), scale = anyScale(input);
      const float offsetX = anyScale(input), offsetY = anyScale(input);
      print(instance, &surface.context, data.c_str(), left, top, 0, 0, scale, offsetX, offsetY);
      surface.checkPadding();
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  TorvPdf417Comp* instance = GetNewInstance();
  FUZZ_CHECK(instance != nullptr);
  FUZZ_CHECK(getAttrListLength() == 5);
  int steps = 0;
  while (!input.empty() && ++steps < 64) step(input, instance);
  DeleteInstance(instance);
  return 0;
}
