// SPDX-License-Identifier: Apache-2.0
#include "component/attribute_text.h"

#include <algorithm>
#include <limits>

namespace torv::component {
namespace {

bool isWhiteSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

std::u16string formatAttributeValue(std::int32_t value) {
  // Work on the magnitude in 64 bits so the most negative value has one too.
  long long magnitude = value;
  const bool negative = magnitude < 0;
  if (negative) magnitude = -magnitude;
  std::u16string text;
  do {
    text.push_back(static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) text.push_back(u'-');
  std::reverse(text.begin(), text.end());
  return text;
}

std::int32_t parseAttributeValue(const char16_t* text) {
  if (text == nullptr) return 0;
  while (isWhiteSpace(*text)) ++text;
  bool negative = false;
  if (*text == u'+' || *text == u'-') {
    negative = *text == u'-';
    ++text;
  }
  // Accumulate the magnitude, stopping the growth once it is past every 32-bit value.
  constexpr long long kPastRange = 1LL << 32;
  long long magnitude = 0;
  for (; isDigit(*text); ++text) {
    magnitude = std::min(kPastRange, magnitude * 10 + (*text - u'0'));
  }
  const long long value = negative ? -magnitude : magnitude;
  return static_cast<std::int32_t>(
      std::clamp<long long>(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace torv::component
