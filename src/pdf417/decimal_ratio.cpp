// SPDX-License-Identifier: Apache-2.0
#include "pdf417/decimal_ratio.h"

namespace torv::pdf417 {

bool parseHundredths(const char* begin, const char* end, std::uint32_t& hundredths) {
  std::uint32_t whole = 0;
  std::uint32_t fraction = 0;
  int decimals = -1;  // -1 until the '.' is seen
  for (const char* p = begin; p != end; ++p) {
    if (decimals == 2) break;  // the rest is ignored
    const char c = *p;
    if (c == '.') {
      if (decimals >= 0) return false;
      decimals = 0;
    } else if (c >= '0' && c <= '9') {
      if (decimals < 0) {
        // Anything from 100 on is out of range; stop growing to stay clear of overflow.
        if (whole < 100) whole = whole * 10 + static_cast<std::uint32_t>(c - '0');
      } else {
        fraction = fraction * 10 + static_cast<std::uint32_t>(c - '0');
        ++decimals;
      }
    } else {
      return false;
    }
  }
  if (decimals == 1) fraction *= 10;  // ".5" is 50 hundredths
  const std::uint32_t value = whole * 100 + fraction;
  if (value < 1 || value > 9999) return false;
  hundredths = value;
  return true;
}

}  // namespace torv::pdf417
