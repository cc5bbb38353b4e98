// SPDX-License-Identifier: Apache-2.0
// Helpers shared by the encoder's unit tests: each works on the test's own Encoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pdf417/encoder.h"

namespace torv::pdf417::test {

// Encodes text with the encoder's options; returns the encode result.
inline int encodeText(Encoder& enc, const std::string& text) {
  return enc.encode(text.data(), static_cast<std::uint32_t>(text.size()));
}

// The data codewords of the encoded message, the length descriptor slot excluded.
inline std::vector<int> dataCodewords(const Encoder& enc) {
  return std::vector<int>(enc.message()->entries + 1, enc.message()->entries + enc.message()->count);
}

// After a write: the whole codeword sequence (descriptor, data, pads, check codewords).
inline std::vector<int> fullSequence(const Encoder& enc) {
  return std::vector<int>(enc.symbol().sequence, enc.symbol().sequence + enc.symbol().rows * enc.symbol().columns);
}

// Writes the bitmap of the encoded message into a vector sized by the size query.
inline std::vector<std::uint8_t> writeBitmapFile(Encoder& enc, int* result = nullptr) {
  std::vector<std::uint8_t> out;
  if (const int rc = enc.writeImage(out); result) *result = rc;
  return out;
}

}  // namespace torv::pdf417::test
