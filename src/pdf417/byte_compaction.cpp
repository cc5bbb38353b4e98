// SPDX-License-Identifier: Apache-2.0
// Byte Compaction: six bytes become five base-900 codewords; a rest of one codeword each.
#include "pdf417/compaction.h"

namespace torv::pdf417 {

void byteCompact(const std::uint8_t* bytes, std::uint32_t n, CodewordBuffer& buffer) {
  std::uint32_t i = 0;
  for (; n - i >= 6; i += 6) {
    std::uint64_t value = 0;
    for (int j = 0; j < 6; ++j) value = (value << 8) | bytes[i + j];
    std::uint16_t digits[5];
    for (int j = 4; j >= 0; --j) {
      digits[j] = static_cast<std::uint16_t>(value % 900);
      value /= 900;
    }
    for (std::uint16_t d : digits) buffer.append(d);
  }
  for (; i < n; ++i) buffer.append(bytes[i]);
}

}  // namespace torv::pdf417
