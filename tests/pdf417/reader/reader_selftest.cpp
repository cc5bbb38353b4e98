// SPDX-License-Identifier: Apache-2.0
// The test reader itself: the published pattern tables load and hold their check values, and
// symbols drawn by another encoder (zint) read back with valid structure.
#include <zint.h>

#include <memory>

#include <gtest/gtest.h>

#include "symbol_reader.h"
#include "zxing_decode.h"

namespace {

using torv::test::PatternTables;
using torv::test::PixelGrid;
using torv::test::SymbolRead;

const PatternTables& tables() {
  static PatternTables t;
  static bool loaded = false;
  if (!loaded) {
    std::string why;
    if (!t.load(TORV_PATTERN_FILE, why)) ADD_FAILURE() << why;
    loaded = true;
  }
  return t;
}

TEST(PatternTables, LoadWithCheckValues) {
  PatternTables t;
  std::string why;
  ASSERT_TRUE(t.load(TORV_PATTERN_FILE, why)) << why;
  EXPECT_EQ(t.entry(0, 0), 0xD5C0);
  EXPECT_EQ(t.entry(1, 0), 0xF560);
  EXPECT_EQ(t.entry(2, 0), 0xABE0);
  EXPECT_EQ(t.entry(0, 1), 0xEAF0);
  EXPECT_EQ(t.lookup(0, 0x1D5C0), 0);
  EXPECT_EQ(t.lookup(1, 0x1D5C0), -1);
  EXPECT_EQ(t.clusterOf(0x1D5C0), 0);
  EXPECT_FALSE(t.load("/nonexistent/patterns.txt", why));
}

TEST(Syndromes, VanishOnKnownCodewords) {
  // Length descriptor 5 and "PDF417", with its level 1 and level 0 check codewords.
  EXPECT_EQ(torv::test::syndromes({5, 453, 178, 121, 239, 452, 327, 657, 619}, 4), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(torv::test::syndromes({5, 453, 178, 121, 239, 471, 661}, 2), (std::vector<int>{0, 0}));
  EXPECT_NE(torv::test::syndromes({5, 453, 178, 121, 238, 471, 661}, 2), (std::vector<int>{0, 0}));
}

// zint draws each module and row at the scale given; this reads its symbols back.
TEST(SymbolReader, ReadsAnotherEncodersSymbols) {
  struct Case {
    const char* data;
    int level;
    int columns;
  };
  for (const Case c : {Case{"PDF417", 0, 1}, Case{"Hello, World! PDF417 test 0123456789", 2, 8},
                       Case{"0123456789012345678901234567890123456789", 5, 3}}) {
    std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> z(ZBarcode_Create(), ZBarcode_Delete);
    z->symbology = BARCODE_PDF417;
    z->option_1 = c.level;
    z->option_2 = c.columns;
    z->scale = 0.5f;
    const std::string data = c.data;
    ASSERT_LT(ZBarcode_Encode_and_Buffer(z.get(), reinterpret_cast<const unsigned char*>(data.data()),
                                         static_cast<int>(data.size()), 0),
              ZINT_ERROR);
    const int w = z->bitmap_width, h = z->bitmap_height;
    std::vector<std::uint8_t> gray(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < gray.size(); ++i) gray[i] = z->bitmap[3 * i];
    ASSERT_EQ(h % z->rows, 0);
    SymbolRead s;
    std::string why;
    ASSERT_TRUE(torv::test::readSymbol(PixelGrid{w, h, gray.data()}, 1, h / z->rows, tables(), true, s, why))
        << c.data << ": " << why;
    EXPECT_EQ(s.columns, c.columns);
    ASSERT_TRUE(torv::test::checkSymbol(s, why)) << c.data << ": " << why;
    EXPECT_EQ(s.eccLevel, c.level);
  }
}

// A symbol character swapped for another valid one of the same cluster: the other reader corrects
// it silently, the structural check does not let it pass.
TEST(SymbolReader, CatchesWhatErrorCorrectionHides) {
  std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> z(ZBarcode_Create(), ZBarcode_Delete);
  z->symbology = BARCODE_PDF417;
  z->option_1 = 2;
  z->option_2 = 4;
  z->scale = 0.5f;
  const std::string data = "Swap one codeword";
  ASSERT_LT(ZBarcode_Encode_and_Buffer(z.get(), reinterpret_cast<const unsigned char*>(data.data()),
                                       static_cast<int>(data.size()), 0),
            ZINT_ERROR);
  const int w = z->bitmap_width, h = z->bitmap_height, rowPx = h / z->rows;
  std::vector<std::uint8_t> gray(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < gray.size(); ++i) gray[i] = z->bitmap[3 * i];
  SymbolRead s;
  std::string why;
  ASSERT_TRUE(torv::test::readSymbol(PixelGrid{w, h, gray.data()}, 1, rowPx, tables(), true, s, why)) << why;
  // Row 1 (cluster 3), second data column: put in the pattern of another codeword.
  const int replaced = s.matrix[1][2] == 100 ? 101 : 100;
  const std::uint32_t pattern = 0x10000u | tables().entry(1, replaced);
  for (int y = rowPx; y < 2 * rowPx; ++y)
    for (int m = 0; m < 17; ++m)
      gray[static_cast<std::size_t>(y) * w + 17 * 3 + m] = (pattern >> (16 - m)) & 1 ? 0 : 255;
  ASSERT_TRUE(torv::test::readSymbol(PixelGrid{w, h, gray.data()}, 1, rowPx, tables(), true, s, why)) << why;
  EXPECT_EQ(s.matrix[1][2], replaced);
  EXPECT_FALSE(torv::test::checkSymbol(s, why));
  EXPECT_NE(why.find("syndrome"), std::string::npos) << why;
  const auto read = torv::test::decodePdf417(w, h, gray.data());
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(std::string(read->begin(), read->end()), data);
}

}  // namespace
