// SPDX-License-Identifier: Apache-2.0
// Numeric Compaction: groups of up to 44 digits, with a leading 1, in base 900.
#include "pdf417/compaction.h"

namespace torv::pdf417 {
namespace {

constexpr std::uint32_t kGroupDigits = 44;
constexpr std::uint32_t kPowersOfTen[7] = {1, 10, 100, 1000, 10000, 100000, 1000000};

// Appends 1 followed by the r digits (r <= 44) as base-900 codewords without leading zeros.
void compactGroup(const std::uint8_t* digits, std::uint32_t r, CodewordBuffer& buffer) {
  std::uint32_t limbs[16] = {1};  // base 900, least significant first
  unsigned used = 1;
  for (std::uint32_t i = 0; i < r;) {
    const std::uint32_t take = r - i < 6 ? r - i : 6;
    std::uint32_t chunk = 0;
    for (std::uint32_t j = 0; j < take; ++j) chunk = chunk * 10 + (digits[i + j] - '0');
    i += take;
    std::uint64_t carry = chunk;
    const std::uint64_t scale = kPowersOfTen[take];
    for (unsigned k = 0; k < used; ++k) {
      const std::uint64_t t = limbs[k] * scale + carry;
      limbs[k] = static_cast<std::uint32_t>(t % 900);
      carry = t / 900;
    }
    while (carry != 0 && used < 16) {
      limbs[used++] = static_cast<std::uint32_t>(carry % 900);
      carry /= 900;
    }
  }
  for (unsigned k = used; k-- > 0;) buffer.append(limbs[k]);
}

}  // namespace

void numericCompact(const std::uint8_t* digits, std::uint32_t n, CodewordBuffer& buffer) {
  for (std::uint32_t i = 0; i < n; i += kGroupDigits) {
    compactGroup(digits + i, n - i < kGroupDigits ? n - i : kGroupDigits, buffer);
  }
}

}  // namespace torv::pdf417
