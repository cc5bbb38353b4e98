// SPDX-License-Identifier: Apache-2.0
#include "pdf417/micro_symbol.h"

#include <algorithm>
#include <array>

#include "pdf417/pdf417.h"

namespace torv::pdf417 {

// columns, rows, check codewords, left / centre / right row address of the top row, its cluster.
const MicroSize kMicroSizes[kMicroSizeCount] = {
    {1, 11, 7, 1, 0, 9, 0},     {1, 14, 7, 8, 0, 8, 3},     {1, 17, 7, 36, 0, 36, 6},   {1, 20, 8, 19, 0, 19, 0},
    {1, 24, 8, 9, 0, 17, 6},    {1, 28, 8, 25, 0, 33, 0},   {2, 8, 8, 1, 0, 1, 0},      {2, 11, 9, 1, 0, 9, 0},
    {2, 14, 9, 8, 0, 8, 3},     {2, 17, 10, 36, 0, 36, 6},  {2, 20, 11, 19, 0, 19, 0},  {2, 23, 13, 9, 0, 17, 6},
    {2, 26, 15, 27, 0, 35, 6},  {3, 6, 12, 1, 1, 1, 0},     {3, 8, 14, 7, 7, 7, 0},     {3, 10, 16, 15, 15, 15, 6},
    {3, 12, 18, 25, 25, 25, 0}, {3, 15, 21, 37, 37, 37, 0}, {3, 20, 26, 1, 17, 33, 0},  {3, 26, 32, 1, 9, 17, 0},
    {3, 32, 38, 21, 29, 37, 6}, {3, 38, 44, 15, 31, 47, 6}, {3, 44, 50, 1, 25, 49, 0},  {4, 4, 8, 47, 19, 43, 3},
    {4, 6, 12, 1, 1, 1, 0},     {4, 8, 14, 7, 7, 7, 0},     {4, 10, 16, 15, 15, 15, 6}, {4, 12, 18, 25, 25, 25, 0},
    {4, 15, 21, 37, 37, 37, 0}, {4, 20, 26, 1, 17, 33, 0},  {4, 26, 32, 1, 9, 17, 0},   {4, 32, 38, 21, 29, 37, 6},
    {4, 38, 44, 15, 31, 47, 6}, {4, 44, 50, 1, 25, 49, 0},
};

// Left and right patterns: 3 bars and 3 spaces, bar first.
const std::uint16_t kMicroSideRap[kMicroRapCount] = {
    0x322, 0x3A2, 0x3B2, 0x332, 0x372, 0x37A, 0x33A, 0x3BA, 0x39A, 0x3DA, 0x3CA, 0x38A, 0x30A,
    0x31A, 0x312, 0x392, 0x3D2, 0x3D6, 0x3D4, 0x394, 0x3B4, 0x3A4, 0x3A6, 0x3AE, 0x3AC, 0x3A8,
    0x328, 0x32C, 0x32E, 0x326, 0x336, 0x3B6, 0x396, 0x316, 0x314, 0x334, 0x374, 0x364, 0x366,
    0x36E, 0x36C, 0x368, 0x348, 0x358, 0x35C, 0x35E, 0x34E, 0x34C, 0x344, 0x346, 0x342, 0x362,
};

// Centre patterns: 3 bars and 3 spaces, bar first.
const std::uint16_t kMicroCentreRap[kMicroRapCount] = {
    0x2CE, 0x24E, 0x26E, 0x22E, 0x226, 0x236, 0x216, 0x212, 0x21A, 0x23A, 0x232, 0x222, 0x262,
    0x272, 0x27A, 0x2FA, 0x2F2, 0x2F6, 0x276, 0x274, 0x264, 0x266, 0x246, 0x242, 0x2C2, 0x2E2,
    0x2E6, 0x2E4, 0x2EC, 0x26C, 0x22C, 0x228, 0x268, 0x2E8, 0x2C8, 0x2CC, 0x2C4, 0x2C6, 0x286,
    0x28E, 0x28C, 0x29C, 0x298, 0x2B8, 0x2B0, 0x290, 0x2D0, 0x250, 0x258, 0x25C, 0x2DC, 0x2DE,
};

int microSizeIndex(unsigned columns, unsigned rows) {
  for (unsigned i = 0; i < kMicroSizeCount; ++i) {
    if (kMicroSizes[i].columns == columns && kMicroSizes[i].rows == rows) return static_cast<int>(i);
  }
  return -1;
}

int fittingMicroSize(unsigned dataCodewords, unsigned columns) {
  int best = -1;
  unsigned bestArea = 0;
  for (unsigned i = 0; i < kMicroSizeCount; ++i) {
    const MicroSize& s = kMicroSizes[i];
    if ((columns != 0 && s.columns != columns) || s.dataCapacity() < dataCodewords) continue;
    const unsigned area = s.widthModules() * 2u * s.rows;
    // Sizes run by columns, then rows: the first of a width that fits has the fewest rows, and
    // a later size only wins when strictly smaller.
    if (best < 0 || area < bestArea) {
      best = static_cast<int>(i);
      bestArea = area;
    }
  }
  return best;
}

namespace {

// The row address `start` (1..52) advanced by r rows.
unsigned rapAt(unsigned start, unsigned r) { return (start - 1 + r) % kMicroRapCount; }

}  // namespace

MicroModuleRow::MicroModuleRow(const std::uint16_t* codewords, const MicroSize& size, unsigned row)
    : codewords_(codewords),
      patterns_(kSymbolPatterns[(size.cluster / 3 + row) % 3]),
      columns_(size.columns),
      centreBefore_(size.columns >= 3 ? size.columns - 2u : size.columns),
      left_(kMicroSideRap[rapAt(size.leftRap, row)]),
      centre_(size.centreRap != 0 ? kMicroCentreRap[rapAt(size.centreRap, row)] : 0u),
      right_(kMicroSideRap[rapAt(size.rightRap, row)]),
      width_(size.widthModules()) {}

namespace {

constexpr unsigned kPrime = 929;
constexpr unsigned kMaxCheck = 64;

// Generator coefficients for every k = 1..kMaxCheck: g_k(x) = (x - 3)...(x - 3^k), stored as
// 929 - g[j] for j = k-1 down to 0 (g[k] = 1 is implied), the order in which the remainder's places
// use them, so that t * entry is -t * g[j] mod 929.
struct Generators {
  std::array<std::uint16_t, kMaxCheck*(kMaxCheck + 1) / 2> negated{};
  static constexpr unsigned offset(unsigned k) { return (k - 1) * k / 2; }
};

Generators makeGenerators() {
  Generators out;
  std::array<unsigned, kMaxCheck + 1> g{};
  g[0] = 1;
  unsigned root = 1;
  // Powers of 3 computed here: the tables of other files may not be built yet when this runs.
  for (unsigned k = 1; k <= kMaxCheck; ++k) {
    root = root * 3 % kPrime;
    g[k] = g[k - 1];
    for (unsigned j = k - 1; j > 0; --j) g[j] = (g[j - 1] + kPrime - root * g[j] % kPrime) % kPrime;
    g[0] = (kPrime - root * g[0] % kPrime) % kPrime;
    for (unsigned j = 0; j < k; ++j) {
      out.negated[Generators::offset(k) + j] = static_cast<std::uint16_t>(kPrime - g[k - 1 - j]);
    }
  }
  return out;
}

const Generators kGenerators = makeGenerators();

}  // namespace

void rsEncodeAnyLength(const std::uint16_t* codewords, unsigned n, unsigned k, std::uint16_t* check) {
  if (k == 0 || k > kMaxCheck) return;
  const std::uint16_t* neg = kGenerators.negated.data() + Generators::offset(k);
  // The remainder, highest place first, kept unreduced: a place sums at most k products below
  // 929 * 929 (under 2^26 for k <= 64), so only the quotient codeword t is reduced per step.
  std::uint32_t rem[kMaxCheck + 1] = {};
  for (unsigned i = 0; i < n; ++i) {
    const std::uint32_t t = (codewords[i] + rem[0]) % kPrime;
    for (unsigned j = 0; j < k; ++j) rem[j] = rem[j + 1] + t * neg[j];  // rem[k] stays 0
  }
  for (unsigned i = 0; i < k; ++i) {
    const std::uint32_t r = rem[i] % kPrime;
    check[i] = static_cast<std::uint16_t>(r == 0 ? 0 : kPrime - r);
  }
}

int layOutMicro(const std::uint16_t* codewords, unsigned count, unsigned padAt, unsigned sizeIndex,
                MicroSymbol& symbol) {
  if (sizeIndex >= kMicroSizeCount || padAt > count) return PDF417_ERR_NO_ARRANGEMENT;
  const MicroSize& size = kMicroSizes[sizeIndex];
  const unsigned capacity = size.dataCapacity();
  if (count > capacity) return PDF417_ERR_NO_ARRANGEMENT;
  const unsigned pads = capacity - count;
  std::uint16_t* seq = symbol.sequence;
  std::copy(codewords, codewords + padAt, seq);
  std::fill(seq + padAt, seq + padAt + pads, std::uint16_t{900});
  std::copy(codewords + padAt, codewords + count, seq + padAt + pads);
  rsEncodeAnyLength(seq, capacity, size.checkCount, seq + capacity);
  symbol.sizeIndex = static_cast<std::uint8_t>(sizeIndex);
  symbol.columns = size.columns;
  symbol.rows = size.rows;
  symbol.checkCount = size.checkCount;
  symbol.dataCount = static_cast<std::uint16_t>(count);
  symbol.padCount = static_cast<std::uint16_t>(pads);
  return 0;
}

}  // namespace torv::pdf417
