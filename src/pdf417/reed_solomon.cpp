// SPDX-License-Identifier: Apache-2.0
// Reed-Solomon over GF(929) with generator (x - 3)(x - 3^2)...(x - 3^k).
#include "pdf417/reed_solomon.h"

#include <array>

namespace torv::pdf417 {
namespace {

constexpr unsigned kPrime = 929;
constexpr unsigned kOrder = 928;              // 3 generates the multiplicative group
constexpr unsigned kGeneratorEntries = 1022;  // 2 + 4 + ... + 512

struct GaloisTables {
  std::array<std::uint16_t, kOrder> pow3{};
  std::array<std::uint16_t, kPrime> log{};
  // 929 - a for the generator coefficients a[k-1] down to a[0], level by level (a[k] = 1 is
  // implied), in the order the remainder places use them: t * (929 - a) is -t * a mod 929.
  std::array<std::uint32_t, kGeneratorEntries> negGenerator{};
  // t * (929 - a[k-1]) mod 929 for every t, per level (k = 2^(level+1)): the product that leads
  // from one quotient codeword to the next, looked up rather than reduced on that chain.
  std::array<std::array<std::uint16_t, kPrime>, 9> leadProduct{};
};

constexpr GaloisTables makeTables() {
  GaloisTables t{};
  unsigned value = 1;
  for (unsigned e = 0; e < kOrder; ++e) {
    t.pow3[e] = static_cast<std::uint16_t>(value);
    t.log[value] = static_cast<std::uint16_t>(e);
    value = value * 3 % kPrime;
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
    for (unsigned j = 0; j < k; ++j) t.negGenerator[offset + j] = kPrime - g[k - 1 - j];
    unsigned level = 0;
    while ((2u << level) < k) ++level;
    for (unsigned v = 0; v < kPrime; ++v) {
      t.leadProduct[level][v] = static_cast<std::uint16_t>(v * t.negGenerator[offset] % kPrime);
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

namespace {

// The remainder's places are kept unreduced: a place sums at most k products t * (929 - a) below
// 929 * 929, under 2^29 even for k = 512, and (929 - a) makes the sum -t * a mod 929.
//
// Quotient codeword i is t[i] = (codeword[i] + rem[0]) mod 929, where rem[0] is the rem[1] of the
// step before plus t[i-1] * (929 - a[k-1]). That rem[1] is known a step early, so its sum with
// the codeword is reduced off the chain from t to t, and the product comes from a table: the chain
// is a load, an add and a subtraction per codeword. The update of the places, a multiply-add each
// (the place past the end stays 0, so all K alike), lies beside it, in a loop of a fixed length
// that the compiler unrolls and vectorises.
template <unsigned K>
void divide(const std::uint16_t* codewords, unsigned n, const std::uint32_t* coef, const std::uint16_t* lead,
            std::uint32_t* rem) {
  std::uint32_t r[K + 1] = {};
  std::uint32_t c[K];
  for (unsigned j = 0; j < K; ++j) c[j] = coef[j];
  std::uint32_t t = 0;                                    // the quotient codeword before
  std::uint32_t sum = n > 0 ? codewords[0] % kPrime : 0;  // (codeword + rem[1] before) mod 929
  for (unsigned i = 0; i < n; ++i) {
    std::uint32_t next = sum + lead[t];
    next = next >= kPrime ? next - kPrime : next;
    sum = (codewords[i + 1 < n ? i + 1 : i] % kPrime + r[1]) % kPrime;  // for the next codeword
    for (unsigned j = 0; j < K; ++j) r[j] = r[j + 1] + next * c[j];
    t = next;
  }
  for (unsigned j = 0; j < K; ++j) rem[j] = r[j];
}

}  // namespace

void rsEncode(const std::uint16_t* codewords, unsigned n, unsigned k, std::uint16_t* check) {
  if (k < 2 || k > 512 || (k & (k - 1)) != 0) return;
  const std::uint32_t* coef = kTables.negGenerator.data() + generatorOffset(k);
  const auto& lead = kTables.leadProduct;
  // Remainder, highest place first: rem[0] is the coefficient of x^(k-1) (mod 929).
  std::uint32_t rem[513];
  switch (k) {
    case 2:
      divide<2>(codewords, n, coef, lead[0].data(), rem);
      break;
    case 4:
      divide<4>(codewords, n, coef, lead[1].data(), rem);
      break;
    case 8:
      divide<8>(codewords, n, coef, lead[2].data(), rem);
      break;
    case 16:
      divide<16>(codewords, n, coef, lead[3].data(), rem);
      break;
    case 32:
      divide<32>(codewords, n, coef, lead[4].data(), rem);
      break;
    case 64:
      divide<64>(codewords, n, coef, lead[5].data(), rem);
      break;
    case 128:
      divide<128>(codewords, n, coef, lead[6].data(), rem);
      break;
    case 256:
      divide<256>(codewords, n, coef, lead[7].data(), rem);
      break;
    default:
      divide<512>(codewords, n, coef, lead[8].data(), rem);
      break;
  }
  for (unsigned j = 0; j < k; ++j) {
    const std::uint32_t r = rem[j] % kPrime;
    check[j] = static_cast<std::uint16_t>(r == 0 ? 0 : kPrime - r);
  }
}

}  // namespace torv::pdf417
