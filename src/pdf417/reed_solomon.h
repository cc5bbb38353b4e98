// SPDX-License-Identifier: Apache-2.0
// Reed-Solomon check codewords over GF(929).
#pragma once

#include <cstdint>

namespace torv::pdf417 {

// Writes the k check codewords (k = 2..512, a power of two) of the first n codewords to
// check[0..k), highest order first.
void rsEncode(const std::uint16_t* codewords, unsigned n, unsigned k, std::uint16_t* check);

// 3^e mod 929 (e taken mod 928), and the discrete logarithm base 3 of 1..928.
unsigned gfPow3(unsigned e);
unsigned gfLog(unsigned value);

}  // namespace torv::pdf417
