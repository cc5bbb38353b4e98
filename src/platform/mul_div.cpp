// SPDX-License-Identifier: Apache-2.0
#include "platform/mul_div.h"

#include <cstdint>
#include <cstdlib>

namespace torv::platform {

int mulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const bool negative = (number < 0) != (numerator < 0) && number != 0 && numerator != 0;
  const bool resultNegative = negative != (denominator < 0);
  // Magnitudes in unsigned 64 bits: |a*b| <= 2^62, so 2*|a*b| + |c| cannot wrap.
  const std::uint64_t product =
      static_cast<std::uint64_t>(std::llabs(number)) * static_cast<std::uint64_t>(std::llabs(numerator));
  const std::uint64_t divisor = static_cast<std::uint64_t>(std::llabs(denominator));
  const std::uint64_t rounded = (2 * product + divisor) / (2 * divisor);
  if (resultNegative) {
    if (rounded > std::uint64_t{1} << 31) return -1;
    return static_cast<int>(-static_cast<std::int64_t>(rounded));
  }
  if (rounded > 0x7FFFFFFFu) return -1;
  return static_cast<int>(rounded);
}

}  // namespace torv::platform
