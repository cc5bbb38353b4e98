// SPDX-License-Identifier: Apache-2.0
// The PDF417 encoder driven directly: options chosen by the input (rejected ones included), any
// data, and an image buffer of exactly the announced size or shorter. Every symbol the encoder
// reports as written must read back, with an independent reader, as the bytes it was given.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "bmp_reader.h"
#include "fuzz_input.h"
#include "pdf417/encoder.h"
#include "pdf417/pdf417.h"
#include "zxing_decode.h"

namespace {

using namespace torv::pdf417;
using torv::fuzz::FuzzInput;

bool oneOf(int code, std::initializer_list<int> allowed) {
  return std::find(allowed.begin(), allowed.end(), code) != allowed.end();
}

// A ratio text: mostly well formed, sometimes anything.
std::string ratioText(FuzzInput& input) {
  switch (input.byte() % 4) {
    case 0:
      return input.text(12);
    case 1:
      return std::to_string(input.byte() % 30) + ":" + std::to_string(input.byte() % 30);
    case 2:
      return std::to_string(input.byte() % 12) + "." + std::to_string(input.byte() % 120) + ":" +
             std::to_string(input.byte() % 12);
    default:
      return std::to_string(input.byte() % 30);
  }
}

void setOptions(FuzzInput& input) {
  const int count = input.byte() % 6;
  for (int i = 0; i < count; ++i) {
    int result = 1;
    switch (input.byte() % 6) {
      case 0:
        result = pdf417SetEccLevel(input.byte() % 4 == 0 ? input.interestingInt() : input.byte() % 10);
        break;
      case 1:
        result = pdf417SetSizingMode(input.byte() % 4 == 0 ? input.interestingInt() : input.byte() % 3);
        break;
      case 2: {
        const int rows = input.byte() % 4 == 0 ? input.interestingInt() : input.byte() % 100;
        const int columns = input.byte() % 4 == 0 ? input.interestingInt() : input.byte() % 34;
        result = pdf417SetRowsColumns(rows, columns);
        break;
      }
      case 3: {
        const std::string ratio = ratioText(input);
        result = pdf417SetAspectRatio(input.byte() % 32 == 0 ? nullptr : ratio.c_str());
        break;
      }
      case 4: {
        const std::string ratio = ratioText(input);
        result = pdf417SetRowHeightRatio(input.byte() % 32 == 0 ? nullptr : ratio.c_str());
        break;
      }
      default: {
        const int width = input.byte() % 8 == 0 ? input.interestingInt() : input.byte() % 4;
        result = pdf417SetBitmapWriter(width, input.flag());
        break;
      }
    }
    FUZZ_CHECK(result == 0 || result == 1);
  }
}

// Reads the written image back and requires the data bytes.
void checkReadsBack(const std::vector<std::uint8_t>& image, const std::vector<std::uint8_t>& data) {
  torv::test::OneBitBmp bmp;
  std::string why;
  FUZZ_CHECK(torv::test::readOneBitBmp(image.data(), image.size(), bmp, why));
  if (data.empty()) return;  // the reader returns nothing for an empty payload
  const Pdf417Options& o = processEncoder().options();
  torv::test::Pdf417ReadOptions read;
  read.modulePx = std::max(1, static_cast<int>(processEncoder().bitmap().moduleWidth));
  read.rowPx = std::max(1, read.modulePx * o.rowHeightNum / std::max(1, static_cast<int>(o.rowHeightDen)));
  const auto decoded = torv::test::decodePdf417(bmp.width, bmp.height, bmp.gray.data(), 0, read, why);
  if (!decoded) std::fprintf(stderr, "reader: %s\n", why.c_str());
  FUZZ_CHECK(decoded.has_value());
  FUZZ_CHECK(*decoded == data);
}

// Encoding without an input stream, writing before anything was encoded.
void checkOutOfOrderCalls() {
  std::uint8_t byte = 'A';
  std::int32_t size = -5;
  FUZZ_CHECK(pdf417Write(nullptr, &size) == PDF417_ERR_NOT_ENCODED && size == -5);
  FUZZ_CHECK(pdf417Encode(nullptr, 1) == PDF417_ERR_NO_STREAM);
  Pdf417Stream out;
  FUZZ_CHECK(pdf417OpenMemory(&out, PDF417_STREAM_OUTPUT, &byte, 1) == 1);
  FUZZ_CHECK(pdf417Encode(&out, 1) == PDF417_ERR_NOT_INPUT);
  FUZZ_CHECK(pdf417Write(&out, &size) == PDF417_ERR_NOT_ENCODED && size == -5);
  FUZZ_CHECK(pdf417OpenMemory(nullptr, PDF417_STREAM_INPUT, &byte, 1) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzInput input(bytes, size);
  pdf417Reset();
  const bool withWriter = input.byte() % 8 != 0;
  if (withWriter) FUZZ_CHECK(pdf417SetBitmapWriter(input.byte() % 3, input.flag()) == 1);
  setOptions(input);
  const std::uint8_t lengthChoice = input.byte();
  const std::uint8_t bufferChoice = input.byte();
  // Calls out of order first, and options changed between encoding and writing.
  const std::uint8_t protocol = input.byte();
  std::vector<std::uint8_t> laterOptions;
  if (protocol & 1) laterOptions = input.bytes(24);
  const std::vector<std::uint8_t> data = input.rest();
  if (protocol & 2) checkOutOfOrderCalls();

  // The data in a buffer of exactly its size; the encoder may be told a different length.
  std::int32_t length = static_cast<std::int32_t>(data.size());
  if (lengthChoice % 16 == 0) length = -1;
  if (lengthChoice % 16 == 1) length = static_cast<std::int32_t>(data.size()) + 1;
  if (lengthChoice % 16 == 2) length = static_cast<std::int32_t>(data.size() / 2);
  Pdf417Stream in;
  FUZZ_CHECK(pdf417OpenMemory(&in, PDF417_STREAM_INPUT, const_cast<std::uint8_t*>(data.data()),
                              static_cast<std::uint32_t>(data.size())) == 1);
  const int encoded = pdf417Encode(&in, length);
  FUZZ_CHECK(oneOf(encoded, {1, PDF417_ERR_TOO_LONG, PDF417_ERR_NO_ROOM}));
  if (length < 0 || static_cast<std::size_t>(length) > data.size()) FUZZ_CHECK(encoded == PDF417_ERR_TOO_LONG);

  if (encoded == 1 && (protocol & 2)) {
    std::int32_t untouched = -5;
    FUZZ_CHECK(oneOf(pdf417Write(nullptr, nullptr), {PDF417_ERR_NO_TARGET, PDF417_ERR_NO_ARRANGEMENT}));
    Pdf417Stream wrong;
    std::uint8_t byte = 0;
    pdf417OpenMemory(&wrong, PDF417_STREAM_INPUT, &byte, 1);
    FUZZ_CHECK(oneOf(pdf417Write(&wrong, &untouched), {PDF417_ERR_NOT_OUTPUT, PDF417_ERR_NO_ARRANGEMENT}));
    FUZZ_CHECK(untouched == -5);
  }
  if (protocol & 1) {
    FuzzInput later(laterOptions.data(), laterOptions.size());
    setOptions(later);
  }

  std::int32_t bitmapSize = -1;
  const int sized = pdf417Write(nullptr, &bitmapSize);
  FUZZ_CHECK(oneOf(sized, {0, PDF417_ERR_NOT_ENCODED, PDF417_ERR_NO_ARRANGEMENT}));
  if (encoded != 1) FUZZ_CHECK(sized == PDF417_ERR_NOT_ENCODED);
  if (sized != 0) {
    pdf417Close(nullptr);
    return 0;
  }
  FUZZ_CHECK(withWriter ? bitmapSize > 0 : bitmapSize >= 0);
  if (!withWriter || bitmapSize <= 0) {
    pdf417Close(nullptr);
    return 0;
  }

  // The image buffer: exactly the announced size, or shorter.
  std::size_t capacity = static_cast<std::size_t>(bitmapSize);
  if (bufferChoice % 4 == 0) capacity -= 1 + bufferChoice % std::min<std::size_t>(capacity, 64);
  std::vector<std::uint8_t> image(capacity);
  Pdf417Stream out;
  FUZZ_CHECK(pdf417OpenMemory(&out, PDF417_STREAM_OUTPUT, image.empty() ? nullptr : image.data(),
                              static_cast<std::uint32_t>(capacity)) == 1);
  std::int32_t written = -1;
  const int result = pdf417Write(&out, &written);
  pdf417Close(&out);
  if (capacity < static_cast<std::size_t>(bitmapSize)) {
    FUZZ_CHECK(result == PDF417_ERR_WRITER && written == -1);
    return 0;
  }
  FUZZ_CHECK(result == 0 && written == bitmapSize);
  std::vector<std::uint8_t> expected(data.begin(), data.begin() + length);
  checkReadsBack(image, expected);
  return 0;
}
