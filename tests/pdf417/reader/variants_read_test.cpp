// SPDX-License-Identifier: Apache-2.0
// Macro PDF417 sets, compact symbols and Reader Initialisation, read back by zxing-cpp.
#include <zlib.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pdf417/encoder.h"
#include "pdf417/macro.h"
#include "zxing_decode.h"

namespace torv::pdf417 {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The laid-out symbol as a grey image, one pixel per module and per row (the reader helper scales).
std::optional<test::Pdf417Reading> readBack(Encoder& encoder, std::string& why) {
  std::int32_t size = 0;
  if (const int rc = encoder.write(nullptr, &size); rc != 0) {
    why = "write failed: " + std::to_string(rc);
    return std::nullopt;
  }
  const Symbol& symbol = encoder.symbol();
  const int width = static_cast<int>(symbol.moduleRow(0).widthModules());
  Bytes grey;
  for (unsigned r = 0; r < symbol.rows; ++r) {
    symbol.moduleRow(r).forEachPiece([&](ModulePiece piece) {
      for (unsigned bit = piece.count; bit-- > 0;) grey.push_back((piece.bits >> bit) & 1u ? 0 : 255);
    });
  }
  return test::readPdf417(width, symbol.rows, grey.data(), width, {}, why);
}

Bytes randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

// Invoice-like lines: words, amounts and dates.
Bytes proseText(std::size_t n) {
  static const char* const kWords[] = {"Invoice", "net",    "EUR",   "tax", "Bahnhofstrasse", "CH-8001",
                                       "Zurich;", "total:", "(VAT)", "qty", "item",           "Rechnung"};
  std::mt19937 rng(11);
  Bytes out;
  for (unsigned i = 0; out.size() < n; ++i) {
    const std::string word = i % 3 == 2 ? std::to_string(rng() % 100000) + "." + std::to_string(rng() % 90 + 10)
                                        : std::string(kWords[rng() % 12]);
    out.insert(out.end(), word.begin(), word.end());
    out.push_back(i % 9 == 8 ? '\n' : ' ');
  }
  out.resize(n);
  return out;
}

Bytes compressed(const Bytes& plain) {
  uLongf size = compressBound(static_cast<uLong>(plain.size()));
  Bytes out(size);
  compress2(out.data(), &size, plain.data(), static_cast<uLong>(plain.size()), 9);
  out.resize(size);
  return out;
}

struct SetCase {
  const char* name;
  Bytes data;
  int rows, columns, level;  // 0, 0, -1: the reset bounds and the automatic level
  std::size_t symbols;       // the fewest that hold the data
};

// Every symbol read alone names its place in the set and the set's ID, and the bytes in index order
// are the file again; the segments differ in size by little.
TEST(MacroSetReadBack, SetsOfOneTwoSevenAndFortySymbolsReassemble) {
  const std::vector<SetCase> cases = {
      {"text in one symbol", proseText(300), 0, 0, -1, 1},
      {"random bytes in two symbols", randomBytes(1500, 1), 0, 0, -1, 2},
      {"a compressed file in seven symbols", compressed(proseText(21000)), 0, 10, 3, 7},
      {"random bytes in forty 13 x 35 symbols", randomBytes(19500, 2), 35, 13, 4, 40},
      {"text in forty symbols", proseText(14700), 20, 12, 2, 40},
  };
  for (const SetCase& c : cases) {
    SCOPED_TRACE(c.name);
    Encoder encoder;
    if (c.level >= 0) encoder.setEccLevel(c.level);
    if (c.rows != 0 || c.columns != 0) {
      encoder.setSizingMode(SIZING_FIXED);
      ASSERT_EQ(encoder.setRowsColumns(c.rows, c.columns), 1);
    }
    MacroFile file;
    file.fileId = {17, 899, 0};
    MacroSet set;
    ASSERT_EQ(set.split(encoder, c.data.data(), static_cast<std::uint32_t>(c.data.size()), file), 0);
    ASSERT_EQ(set.size(), c.symbols) << c.data.size() << " bytes";

    Bytes joined;
    std::uint32_t shortest = UINT32_MAX;
    std::uint32_t longest = 0;
    for (std::size_t i = 0; i < set.size(); ++i) {
      ASSERT_EQ(set.encode(encoder, i), 1) << "segment " << i;
      std::string why;
      const auto reading = readBack(encoder, why);
      ASSERT_TRUE(reading) << "segment " << i << ": " << why;
      EXPECT_EQ(reading->sequenceIndex, static_cast<int>(i));
      EXPECT_EQ(reading->sequenceSize, static_cast<int>(set.size()));
      EXPECT_EQ(reading->sequenceId, "017899000");
      joined.insert(joined.end(), reading->bytes.begin(), reading->bytes.end());
      if (i + 1 < set.size() || set.size() == 1) {
        shortest = std::min(shortest, set.piece(i).length);
        longest = std::max(longest, set.piece(i).length);
      }
    }
    EXPECT_EQ(joined, c.data);
    if (c.symbols > 1) {
      EXPECT_LE(longest - shortest, longest / 20 + 6) << "segments of " << shortest << " to " << longest;
    }
  }
}

// Compact symbols at every column count: one module narrower per row indicator and stop pattern
// than the full symbol, and read back whole.
TEST(CompactReadBack, EveryColumnCountReads) {
  const Bytes data = proseText(120);
  for (int columns = 1; columns <= 30; ++columns) {
    SCOPED_TRACE(columns);
    Encoder encoder;
    encoder.setSizingMode(SIZING_FIXED);
    ASSERT_EQ(encoder.setRowsColumns(0, columns), 1);
    encoder.setCompact(true);
    ASSERT_EQ(encoder.encode(data.data(), static_cast<std::uint32_t>(data.size())), 1);
    std::string why;
    const auto reading = readBack(encoder, why);
    ASSERT_TRUE(reading) << why;
    EXPECT_EQ(reading->bytes, data);
    EXPECT_EQ(encoder.symbol().moduleRow(0).widthModules(), 17u * columns + 35);
  }
}

// Reader Initialisation reads as such, alone and before an ECI, and the data is unchanged.
TEST(ReaderInitReadBack, FlagReadsAndDataStays) {
  const std::string text = "PROGRAM 0042";
  for (const int eci : {-1, 26}) {
    Encoder encoder;
    encoder.setReaderInit(true);
    encoder.setEci(eci);
    ASSERT_EQ(encoder.encode(text.data(), static_cast<std::uint32_t>(text.size())), 1);
    EXPECT_EQ(encoder.message()->entries[1], 921);
    std::string why;
    const auto reading = readBack(encoder, why);
    ASSERT_TRUE(reading) << why;
    EXPECT_TRUE(reading->readerInit);
    EXPECT_EQ(std::string(reading->bytes.begin(), reading->bytes.end()), text);
  }
}

}  // namespace
}  // namespace torv::pdf417
