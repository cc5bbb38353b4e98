// Reed-Solomon over GF(929) with generator (x - 3)(x - 3^2)...(x - 3^k).
#include "pdf417/reed_solomon.h"

#include <array>

namespace torv::pdf417 {
namespace {

constexpr unsigned kPrime = 929;
constexpr unsigned kOrder = 928;              // 3 generates the multiplicative group
constexpr unsigned kZeroLog = 2 * kOrder;     // log index that multiplies to 0
constexpr unsigned kGeneratorEntries = 1022;  // 2 + 4 + ... + 512

struct GaloisTables {
  std::array<std::uint16_t, kOrder> pow3{};
  std::array<std::uint16_t, kPrime> log{};
  // (929 - t * a) mod 929 by log t + log a; the zero region keeps a zero factor at 0.
  std::array<std::uint16_t, 3 * kOrder> negProduct{};
  // Logs of the generator coefficients a[k-1] down to a[0], level by level (a[k] = 1 is
  // implied), in the order the remainder places use them.
  std::array<std::uint16_t, kGeneratorEntries> generatorLog{};
};

constexpr GaloisTables makeTables() {
  GaloisTables t{};
  unsigned value = 1;
  for (unsigned e = 0; e < kOrder; ++e) {
    t.pow3[e] = static_cast<std::uint16_t>(value);
    t.log[value] = static_cast<std::uint16_t>(e);
    value = value * 3 % kPrime;
  }
  for (unsigned i = 0; i < 2 * kOrder; ++i) {
    const unsigned product = t.pow3[i % kOrder];
    t.negProduct[i] = static_cast<std::uint16_t>((kPrime - product) % kPrime);
  }
  unsigned offset = 0;
  for (unsigned k = 2; k <= 512; k *= 2) {
    std::array<unsigned, 513> g{};  // g[j] is the coefficient of x^j
    g[0] = 1;
    for (unsigned i = 1; i <= k; ++i) {
      const unsigned root = t.pow3[i];
      for (unsigned j = i; j > 0; --j) g[j] = (g[j - 1] + kPrime - root * g[j] % kPrime) % kPrime;
      g[0] = (kPrime - root * g[0] % kPrime) % kPrime;
    }
    for (unsigned j = 0; j < k; ++j) {
      const unsigned a = g[k - 1 - j];
      t.generatorLog[offset + j] = static_cast<std::uint16_t>(a == 0 ? kZeroLog : t.log[a]);
    }
    offset += k;
  }
  return t;
}

// Built once when the library loads: evaluating it at compile time goes past some compilers' step limits.
const GaloisTables kTables = makeTables();

constexpr unsigned generatorOffset(unsigned k) { return k - 2; }  // 2 + 4 + ... + k/2 = k - 2

}  // namespace

unsigned gfPow3(unsigned e) { return kTables.pow3[e % kOrder]; }
unsigned gfLog(unsigned value) { return kTables.log[value % kPrime]; }

void rsEncode(const std::uint16_t* codewords, unsigned n, unsigned k, std::uint16_t* check) {
  if (k < 2 || k > 512 || (k & (k - 1)) != 0) return;
  const std::uint16_t* coefLog = kTables.generatorLog.data() + generatorOffset(k);
  const std::uint16_t* negProduct = kTables.negProduct.data();
  // Remainder, highest place first: rem[0] is the coefficient of x^(k-1).
  std::uint16_t rem[512] = {};
  for (unsigned i = 0; i < n; ++i) {
    const unsigned t = (codewords[i] % kPrime + rem[0]) % kPrime;
    if (t == 0) {
      for (unsigned j = 0; j + 1 < k; ++j) rem[j] = rem[j + 1];
      rem[k - 1] = 0;
      continue;
    }
    const unsigned logT = kTables.log[t];
    const std::uint16_t* products = negProduct + logT;
    for (unsigned j = 0; j + 1 < k; ++j) {
      const unsigned v = rem[j + 1] + products[coefLog[j]];
      rem[j] = static_cast<std::uint16_t>(v >= kPrime ? v - kPrime : v);
    }
    rem[k - 1] = products[coefLog[k - 1]];
  }
  for (unsigned j = 0; j < k; ++j) check[j] = static_cast<std::uint16_t>(rem[j] == 0 ? 0 : kPrime - rem[j]);
}

}  // namespace torv::pdf417
