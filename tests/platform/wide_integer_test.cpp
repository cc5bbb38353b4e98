// SPDX-License-Identifier: Apache-2.0
// The two-halves 128-bit integer of 32-bit targets against the compiler's own, on the products and
// floor divisions the picture mapping makes: mirrored spans, picture sizes near 2^31, signs mixed.
#include "platform/wide_integer.h"

#include <random>

#include <gtest/gtest.h>

namespace {

using torv::platform::PortableInt128;

#if defined(__SIZEOF_INT128__)
TEST(WideInteger, PortableHalvesAgreeWithTheBuiltInType) {
  std::mt19937_64 random(417);
  const long long edges[] = {
      0,           1, -1, 2, -2, 2540, -2540, 2147483647, -2147483648LL, 4294967295LL, -4294967296LL, (1LL << 62) - 1,
      -(1LL << 62)};
  std::uniform_int_distribution<long long> small(-(1LL << 31), 1LL << 31);
  const auto pick = [&](int round) { return round % 3 == 0 ? edges[random() % std::size(edges)] : small(random); };
  for (int round = 0; round < 200000; ++round) {
    const long long a = pick(round), b = pick(round + 1), c = pick(round + 2), d = pick(round + 3);
    // A product of three factors up to 2^31 (up to 2^93), as the mapping's numerator.
    const __int128 wideNumerator = static_cast<__int128>(a) * b * (c == 0 ? 1 : c % 65536) + d;
    const PortableInt128 numerator = PortableInt128(a) * b * (c == 0 ? 1 : c % 65536) + d;
    const long long divisor = b == 0 ? 3 : b;
    const __int128 denominator = static_cast<__int128>(divisor) * (d == 0 ? 7 : d % 1024 == 0 ? 5 : d % 1024);
    const PortableInt128 portableDenominator = PortableInt128(divisor) * (d == 0 ? 7 : d % 1024 == 0 ? 5 : d % 1024);
    const __int128 expected = torv::platform::floorDivide(wideNumerator, denominator);
    const PortableInt128 got = floorDivide(numerator, portableDenominator);
    ASSERT_EQ(static_cast<long long>(expected), got.toLongLong()) << a << " " << b << " " << c << " " << d;
    ASSERT_EQ(expected < 0, got.negative());
  }
}
#endif

}  // namespace
