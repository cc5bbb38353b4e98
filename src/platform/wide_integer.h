// SPDX-License-Identifier: Apache-2.0
// Signed 128-bit integers for exact pixel mapping: the compiler's own where it has one, otherwise
// (32-bit targets) two 64-bit halves in two's complement with the few operations the mapping uses.
#pragma once

#include <cstdint>

namespace torv::platform {

class PortableInt128 {
 public:
  PortableInt128(long long value = 0)  // NOLINT: converts like the built-in type
      : high_(value < 0 ? ~std::uint64_t{0} : 0), low_(static_cast<std::uint64_t>(value)) {}

  friend PortableInt128 operator+(PortableInt128 a, PortableInt128 b) {
    const std::uint64_t low = a.low_ + b.low_;
    return PortableInt128(a.high_ + b.high_ + (low < a.low_ ? 1 : 0), low);
  }
  friend PortableInt128 operator-(PortableInt128 a) { return PortableInt128(~a.high_, ~a.low_) + PortableInt128(1); }
  friend PortableInt128 operator-(PortableInt128 a, PortableInt128 b) { return a + -b; }
  // Signed order of values whose difference fits.
  friend bool operator<(PortableInt128 a, PortableInt128 b) { return (a - b).negative(); }
  // The product modulo 2^128, which is the signed product whenever that fits.
  friend PortableInt128 operator*(PortableInt128 a, PortableInt128 b) {
    PortableInt128 product = multiplyHalves(a.low_, b.low_);
    product.high_ += a.high_ * b.low_ + a.low_ * b.high_;
    return product;
  }
  bool negative() const { return (high_ >> 63) != 0; }
  bool zero() const { return high_ == 0 && low_ == 0; }
  // The low 64 bits as a signed value: exact when the value fits.
  long long toLongLong() const { return static_cast<long long>(low_); }

  // numerator / denominator rounded towards minus infinity; denominator is not zero.
  friend PortableInt128 floorDivide(PortableInt128 numerator, PortableInt128 denominator) {
    const bool negativeQuotient = numerator.negative() != denominator.negative();
    const PortableInt128 n = numerator.negative() ? -numerator : numerator;
    const PortableInt128 d = denominator.negative() ? -denominator : denominator;
    // Long division, a bit at a time: the mapping divides once per device row and column.
    PortableInt128 quotient, remainder;
    for (int bit = 127; bit >= 0; --bit) {
      remainder = PortableInt128(remainder.high_ << 1 | remainder.low_ >> 63, remainder.low_ << 1 | n.bit(bit));
      if (!remainder.below(d)) {
        remainder = remainder + -d;
        quotient.setBit(bit);
      }
    }
    if (!negativeQuotient) return quotient;
    return remainder.zero() ? -quotient : -quotient + PortableInt128(-1);
  }

 private:
  PortableInt128(std::uint64_t high, std::uint64_t low) : high_(high), low_(low) {}

  static PortableInt128 multiplyHalves(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32, bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
    const std::uint64_t lowLow = aLow * bLow, highLow = aHigh * bLow, lowHigh = aLow * bHigh;
    const std::uint64_t middle = (lowLow >> 32) + (highLow & 0xFFFFFFFFu) + (lowHigh & 0xFFFFFFFFu);
    return PortableInt128(aHigh * bHigh + (highLow >> 32) + (lowHigh >> 32) + (middle >> 32),
                          (middle << 32) | (lowLow & 0xFFFFFFFFu));
  }
  std::uint64_t bit(int index) const { return (index >= 64 ? high_ >> (index - 64) : low_ >> index) & 1; }
  void setBit(int index) { (index >= 64 ? high_ : low_) |= std::uint64_t{1} << (index & 63); }
  // Unsigned comparison; both are magnitudes here.
  bool below(PortableInt128 other) const { return high_ != other.high_ ? high_ < other.high_ : low_ < other.low_; }

  std::uint64_t high_, low_;
};

#if defined(__SIZEOF_INT128__)
using WideInteger = __int128;

inline WideInteger floorDivide(WideInteger numerator, WideInteger denominator) {
  if (denominator < 0) {
    numerator = -numerator;
    denominator = -denominator;
  }
  WideInteger quotient = numerator / denominator;
  if (numerator % denominator != 0 && numerator < 0) --quotient;
  return quotient;
}
inline long long toLongLong(WideInteger value) { return static_cast<long long>(value); }
#else
using WideInteger = PortableInt128;
inline long long toLongLong(WideInteger value) { return value.toLongLong(); }
#endif

}  // namespace torv::platform
