// SPDX-License-Identifier: Apache-2.0
// An encoded message: entry 0 is kept for the symbol length descriptor, the data codewords follow.
#pragma once

#include <cstdint>

namespace torv::pdf417 {

constexpr unsigned kMaxSlots = 928;  // rows x columns never exceed this
constexpr unsigned kBufferEntries = 929;

struct CodewordBuffer {
  std::uint16_t count = 1;     // entries used; data starts at entry 1
  std::uint16_t capacity = 0;  // data codewords that may be stored, descriptor included
  std::uint16_t entries[kBufferEntries] = {};

  unsigned freeCount() const { return capacity > count ? capacity - count : 0u; }

  // Callers check room first; the guard only keeps a faulty caller inside the array.
  void append(unsigned codeword) {
    if (count < kBufferEntries) entries[count++] = static_cast<std::uint16_t>(codeword);
  }
};

}  // namespace torv::pdf417
