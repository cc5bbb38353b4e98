// Helpers shared by the encoder's unit tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pdf417/last_symbol.h"
#include "pdf417/pdf417.h"

namespace torv::pdf417::test {

// Encodes text with the current options; returns the encode result.
inline int encodeText(const std::string& text) {
  Pdf417Stream in;
  pdf417OpenMemory(&in, PDF417_STREAM_INPUT, const_cast<char*>(text.data()), static_cast<std::uint32_t>(text.size()));
  return pdf417Encode(&in, static_cast<std::int32_t>(text.size()));
}

// The data codewords of the encoded message, the length descriptor slot excluded.
inline std::vector<int> dataCodewords() {
  const CodewordBuffer& b = pdf417LastCodewords();
  return std::vector<int>(b.entries + 1, b.entries + b.count);
}

// After a write: the whole codeword sequence (descriptor, data, pads, check codewords).
inline std::vector<int> fullSequence() {
  const SymbolLayout& l = pdf417LastLayout();
  const CodewordBuffer& b = pdf417LastCodewords();
  return std::vector<int>(b.entries, b.entries + l.rows * l.columns);
}

// Writes the bitmap of the encoded message into a vector sized by the size query.
inline std::vector<std::uint8_t> writeBitmapFile(int* result = nullptr) {
  std::int32_t size = 0;
  int rc = pdf417Write(nullptr, &size);
  std::vector<std::uint8_t> out(size > 0 ? static_cast<std::size_t>(size) : 0);
  if (rc == 0) {
    Pdf417Stream os;
    pdf417OpenMemory(&os, PDF417_STREAM_OUTPUT, out.data(), static_cast<std::uint32_t>(out.size()));
    std::int32_t written = -1;
    rc = pdf417Write(&os, &written);
    if (rc == 0) out.resize(static_cast<std::size_t>(written));
  }
  if (result) *result = rc;
  return out;
}

}  // namespace torv::pdf417::test
