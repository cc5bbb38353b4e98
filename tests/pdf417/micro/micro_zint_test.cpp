// SPDX-License-Identifier: Apache-2.0
// MicroPDF417 against zint, module for module, in all 34 sizes; our Micro codewords read back by
// zxing-cpp (which reads no MicroPDF417) when carried in a PDF417 symbol; the encoder's rules.
#include <random>

#include <gtest/gtest.h>

#include "micro_inputs.h"
#include "pdf417/compaction.h"
#include "pdf417/layout.h"
#include "pdf417/pdf417.h"
#include "pdf417/reed_solomon.h"
#include "zint_micro.h"
#include "zxing_decode.h"

namespace torv::pdf417 {
namespace {

using namespace micro_check;

// Bytes 128..255 only: every generator takes them in one Byte segment, so the codewords are fixed.
std::string highBytes(std::mt19937& rng, unsigned n) {
  std::string s;
  for (unsigned i = 0; i < n; ++i) s += static_cast<char>(128 + rng() % 128);
  return s;
}

// Per size, bytes whose codewords land just past the next smaller size of that width: zint and we
// must choose the same size and draw the same symbol.
TEST(MicroAgainstZint, SameBytesSameSymbolInEverySize) {
  std::mt19937 rng(24728);
  for (unsigned s = 0; s < kMicroSizeCount; ++s) {
    const MicroSize& size = kMicroSizes[s];
    const unsigned below = s > 0 && kMicroSizes[s - 1].columns == size.columns ? kMicroSizes[s - 1].dataCapacity() : 0;
    unsigned n = 1;
    while (1 + 5 * (n / 6) + n % 6 <= below) ++n;
    const std::string data = highBytes(rng, n);
    SCOPED_TRACE(std::to_string(size.columns) + "x" + std::to_string(size.rows));
    ZintRequest request;
    request.columns = size.columns;
    const Modules z = zintModules(data, request);
    ASSERT_EQ(sizeOf(z), static_cast<int>(s));
    MicroEncoder ours;
    ASSERT_EQ(ours.setSize(size.columns, 0), 1);
    ASSERT_EQ(ours.encode(data.data(), n), 1);
    EXPECT_EQ(ours.symbol().sizeIndex, s);
    EXPECT_TRUE(ourModules(ours.symbol()) == z);
  }
}

// Mixed inputs: zint's own compaction, read back from its modules, laid out by us.
TEST(MicroAgainstZint, SameCodewordsSameModules) {
  std::mt19937 rng(15438);
  int compared = 0;
  for (int i = 0; i < 30; ++i) {
    const std::string data = randomMicroInput(rng);
    for (int columns = 1; columns <= 4; ++columns) {
      ZintRequest request;
      request.columns = columns;
      const Modules z = zintModules(data, request);
      if (z.rows == 0) continue;  // too long for the width
      const int size = sizeOf(z);
      std::vector<std::uint16_t> sequence;
      ASSERT_TRUE(size >= 0 && readCodewords(z, size, sequence));
      EXPECT_TRUE(ourModulesFor(sequence, size) == z) << "input " << i << ", " << columns << " columns";
      ++compared;
    }
  }
  EXPECT_GT(compared, 40);
}

// A Macro set of three: segment index, file ID, segment count and the last symbol's terminator,
// with the pads before the control block, as zint writes them.
TEST(MicroAgainstZint, MacroSymbols) {
  std::mt19937 rng(922);
  for (int index = 1; index <= 3; ++index) {
    const std::string data = highBytes(rng, 10 + 7 * index);
    ZintRequest request;
    request.columns = 3;
    request.segmentIndex = index;
    request.segmentCount = 3;
    request.fileId = "123456";
    const Modules z = zintModules(data, request);
    ASSERT_GT(z.rows, 0);
    MicroMacro macro;
    macro.segmentIndex = static_cast<std::uint32_t>(index - 1);
    macro.fileId = {123, 456};
    macro.segmentCount = 3;
    macro.last = index == 3;
    MicroEncoder ours;
    ours.setSize(3, 0);
    ours.setMacro(macro);
    ASSERT_EQ(ours.encode(data.data(), static_cast<std::uint32_t>(data.size())), 1);
    EXPECT_TRUE(ourModules(ours.symbol()) == z) << "segment " << index;
  }
}

// Our Micro data codewords, which begin with their own latch, decoded by zxing-cpp inside a
// PDF417 symbol: the compaction from Byte Compaction on returns the bytes, by the segment rules
// and by the fewest-codeword search, which never takes more codewords than the rules.
TEST(MicroCodewords, ReadBackInPdf417) {
  std::mt19937 rng(900);
  std::vector<std::string> inputs = {"1",
                                     "12345678901234567890",
                                     "Hello, World",
                                     "a",
                                     "\xE9",
                                     "\x01\x02\x03",
                                     "ABC123456789012345678def",
                                     std::string("\0\0\0\0\0\0", 6),
                                     "x\xFFy"};
  for (int i = 0; i < 20; ++i) inputs.push_back(randomMicroInput(rng).substr(0, 120));
  for (const std::string& data : inputs) {
    for (const Compaction compaction : {Compaction::Rules, Compaction::Fewest}) {
      MicroEncoder micro;
      micro.setCompaction(compaction);
      ASSERT_EQ(micro.encode(data.data(), static_cast<std::uint32_t>(data.size())), 1) << data;
      const std::vector<std::uint16_t>& cw = micro.codewords();
      if (compaction == Compaction::Fewest) {
        MicroEncoder rules;
        ASSERT_EQ(rules.encode(data.data(), static_cast<std::uint32_t>(data.size())), 1);
        EXPECT_LE(cw.size(), rules.codewords().size()) << data;
      }
      ASSERT_FALSE(cw.empty());
      EXPECT_TRUE(cw[0] == kLatchText || cw[0] == kLatchByte || cw[0] == kLatchByteSix || cw[0] == kLatchNumeric)
          << "the first segment latches: " << cw[0];
      CodewordBuffer message;
      for (std::uint16_t c : cw) message.append(c);
      Pdf417Options options;
      options.eccExplicit = true;
      options.eccLevel = 2;
      Symbol symbol;
      ASSERT_EQ(layOut(options, message, symbol), 0);
      const int width = static_cast<int>(symbolWidthModules(symbol.columns));
      std::vector<std::uint8_t> grey;
      for (unsigned r = 0; r < symbol.rows; ++r) {
        symbol.moduleRow(r).forEachPiece([&](ModulePiece p) {
          for (unsigned bit = p.count; bit-- > 0;) grey.push_back((p.bits >> bit) & 1u ? 0 : 255);
        });
      }
      const auto bytes = test::decodePdf417(width, static_cast<int>(symbol.rows), grey.data());
      ASSERT_TRUE(bytes.has_value()) << data;
      EXPECT_EQ(std::string(bytes->begin(), bytes->end()), data);
    }
  }
}

TEST(MicroEncoderRules, SizesErrorCorrectionAndLimits) {
  MicroEncoder e;
  EXPECT_EQ(e.setSize(5, 0), 0);
  EXPECT_EQ(e.setSize(3, 7), 0);  // no 3-column size has 7 rows
  EXPECT_EQ(e.setSize(0, 8), 0);
  EXPECT_EQ(e.setSize(2, 8), 1);
  EXPECT_EQ(e.setEci(811800), 0);
  // Where the lengths agree, the check codewords are PDF417's.
  std::mt19937 rng(8);
  std::uint16_t data[100];
  for (auto& d : data) d = static_cast<std::uint16_t>(rng() % 929);
  for (unsigned k : {8u, 16u, 32u}) {
    std::uint16_t a[32], b[32];
    rsEncode(data, 100, k, a);
    rsEncodeAnyLength(data, 100, k, b);
    EXPECT_TRUE(std::equal(a, a + k, b)) << k;
  }
  // 2 x 8 holds 8 data codewords: 901, six bytes in five codewords and two more; a ninth byte does not fit.
  const std::string bytes(9, '\xC0');
  ASSERT_EQ(e.encode(bytes.data(), 8), 1);
  EXPECT_EQ(e.symbol().rows, 8);
  EXPECT_EQ(e.encode(bytes.data(), 9), PDF417_ERR_TOO_LONG);
  // Any size: the smallest symbol in modules that holds the data. 4 codewords: 4 x 4 (99 x 8
  // modules) before 1 x 11 (38 x 22).
  e.setSize(0, 0);
  ASSERT_EQ(e.encode(bytes.data(), 3), 1);
  EXPECT_EQ(e.symbol().columns * 100 + e.symbol().rows, 404);
  const std::string digits(367, '7');  // 366 digits fill the largest size
  EXPECT_EQ(e.encode(digits.data(), 366), 1);
  EXPECT_EQ(e.encode(digits.data(), 367), PDF417_ERR_TOO_LONG);
  // An ECI beyond 899 takes 926 and two codewords.
  ASSERT_EQ(e.setEci(1000), 1);
  ASSERT_EQ(e.encode("A", 1), 1);
  EXPECT_EQ(std::vector<std::uint16_t>(e.codewords().begin(), e.codewords().begin() + 3),
            (std::vector<std::uint16_t>{926, 0, 100}));
}

}  // namespace
}  // namespace torv::pdf417
