// SPDX-License-Identifier: Apache-2.0
// Row indicators, bar patterns and the BMP file.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pdf417/bitmap_writer.h"
#include "pdf417/symbol.h"
#include "pdf417/symbol_patterns.h"
#include "test_support.h"

namespace torv::pdf417 {
namespace {

// Element widths of a stored pattern (module 1 implied as a bar).
std::vector<int> widthsOf(std::uint16_t entry) {
  std::vector<int> runs{1};
  int previous = 1;
  for (int i = 15; i >= 0; --i) {
    const int bit = (entry >> i) & 1;
    if (bit == previous) {
      ++runs.back();
    } else {
      runs.push_back(1);
    }
    previous = bit;
  }
  return runs;
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Pixel x of a packed row: true for a bar (bit 0).
bool isBar(const std::uint8_t* row, unsigned x) { return ((row[x / 8] >> (7 - x % 8)) & 1) == 0; }

TEST(Patterns, CheckValuesOfTheStandard) {
  EXPECT_EQ(kSymbolPatterns[0][0], 0xD5C0);
  EXPECT_EQ(kSymbolPatterns[1][0], 0xF560);
  EXPECT_EQ(kSymbolPatterns[2][0], 0xABE0);
  EXPECT_EQ(kSymbolPatterns[0][1], 0xEAF0);
  EXPECT_EQ(widthsOf(0xD5C0), (std::vector<int>{3, 1, 1, 1, 1, 1, 3, 6}));
  EXPECT_EQ(widthsOf(0xF560), (std::vector<int>{5, 1, 1, 1, 1, 1, 2, 5}));
  EXPECT_EQ(widthsOf(0xABE0), (std::vector<int>{2, 1, 1, 1, 1, 1, 5, 5}));
}

TEST(Patterns, EveryPatternIsAValidSymbolCharacterOfItsCluster) {
  for (int cluster = 0; cluster < 3; ++cluster) {
    std::vector<bool> seen(1 << 16);
    for (int cw = 0; cw < 929; ++cw) {
      const std::uint16_t entry = kSymbolPatterns[cluster][cw];
      const std::vector<int> w = widthsOf(entry);
      ASSERT_EQ(w.size(), 8u) << cluster << " " << cw;
      for (int x : w) ASSERT_LE(x, 6);
      // Cluster number: (b1 - b2 + b3 - b4 + 9) mod 9, from bar widths.
      const int k = (w[0] - w[2] + w[4] - w[6] + 9) % 9;
      ASSERT_EQ(k, 3 * cluster) << cluster << " " << cw;
      ASSERT_FALSE(seen[entry]) << "duplicate in cluster " << cluster;
      seen[entry] = true;
    }
  }
}

TEST(Rows, IndicatorsOfTwoColumnsFiveRowsLevelOne) {
  Symbol l;
  l.rows = 5;
  l.columns = 2;
  l.eccLevel = 1;
  std::uint16_t seq[10] = {10, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  buildRows(l, seq);
  std::vector<int> left;
  std::vector<int> right;
  for (int r = 0; r < 5; ++r) {
    left.push_back(l.row(r)[0]);
    right.push_back(l.row(r)[3]);
    EXPECT_EQ(l.row(r)[1], seq[2 * r]);
    EXPECT_EQ(l.row(r)[2], seq[2 * r + 1]);
  }
  EXPECT_EQ(left, (std::vector<int>{1, 4, 1, 31, 34}));
  EXPECT_EQ(right, (std::vector<int>{1, 1, 4, 31, 31}));
}

class Bitmap : public ::testing::Test {
 protected:
  Encoder enc;
};

TEST_F(Bitmap, OneColumnThreeRowsFileOf170Bytes) {
  enc.setEccLevel(0);
  enc.setSizingMode(SIZING_FIXED);
  ASSERT_EQ(enc.setRowsColumns(0, 1), 1);  // rows derived: descriptor + 2 checks
  ASSERT_EQ(enc.setBitmapWriter(1, true), 1);
  ASSERT_EQ(test::encodeText(enc, ""), 1);
  std::int32_t size = 0;
  ASSERT_EQ(enc.write(nullptr, &size), 0);
  EXPECT_EQ(size, 170);
  EXPECT_EQ(enc.symbol().rows, 3);
  EXPECT_EQ(enc.symbol().columns, 1);
  int rc = -1;
  const std::vector<std::uint8_t> file = test::writeBitmapFile(enc, &rc);
  ASSERT_EQ(rc, 0);
  ASSERT_EQ(file.size(), 170u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(le32(file, 2), 170u);
  EXPECT_EQ(le32(file, 10), 62u);
  EXPECT_EQ(le32(file, 14), 40u);
  EXPECT_EQ(le32(file, 18), 86u);  // width
  EXPECT_EQ(le32(file, 22), 9u);   // height
  EXPECT_EQ(file[26], 1);
  EXPECT_EQ(file[28], 1);
  EXPECT_EQ(le32(file, 30), 0u);
  EXPECT_EQ(le32(file, 34), 108u);
  EXPECT_EQ(le32(file, 50), 2u);
  EXPECT_EQ(le32(file, 54), 0u);           // black
  EXPECT_EQ(le32(file, 58), 0x00FFFFFFu);  // white
}

TEST_F(Bitmap, PixelRowsShowTheSymbolUpsideDownInTheFile) {
  enc.setEccLevel(1);
  enc.setSizingMode(SIZING_FIXED);
  ASSERT_EQ(enc.setRowsColumns(5, 2), 1);
  ASSERT_EQ(enc.setRowHeightRatio("2:1"), 1);
  ASSERT_EQ(enc.setBitmapWriter(3, false), 1);
  ASSERT_EQ(test::encodeText(enc, "PDF"), 1);
  int rc = -1;
  const std::vector<std::uint8_t> file = test::writeBitmapFile(enc, &rc);
  ASSERT_EQ(rc, 0);
  const BitmapGeometry g = bitmapGeometry(enc.symbol(), 3);
  EXPECT_EQ(g.width, (17u * 2 + 69) * 3);
  EXPECT_EQ(g.rowHeightPx, 6u);
  EXPECT_EQ(g.stride % 4, 0u);
  ASSERT_EQ(file.size(), 48 + g.stride * g.height);
  const Symbol& l = enc.symbol();
  for (unsigned y = 0; y < g.height; ++y) {
    const std::uint8_t* row = file.data() + 48 + y * g.stride;
    const unsigned symbolRow = l.rows - 1 - y / g.rowHeightPx;
    // Start bar of 8 modules, then a space; stop bar of 1 module at the end.
    for (unsigned x = 0; x < 24; ++x) ASSERT_TRUE(isBar(row, x));
    ASSERT_FALSE(isBar(row, 24));
    ASSERT_TRUE(isBar(row, g.width - 1));
    ASSERT_TRUE(isBar(row, g.width - 3));
    ASSERT_FALSE(isBar(row, g.width - 4));
    // Bits past the last pixel are 0.
    for (unsigned x = g.width; x < g.stride * 8; ++x) ASSERT_TRUE(isBar(row, x));
    // The left row indicator's modules follow the start pattern.
    const unsigned pattern = 0x10000u | kSymbolPatterns[symbolRow % 3][l.row(symbolRow)[0]];
    for (unsigned m = 0; m < 17; ++m) {
      const bool bar = (pattern >> (16 - m)) & 1;
      for (unsigned p = 0; p < 3; ++p) ASSERT_EQ(isBar(row, (17 + m) * 3 + p), bar);
    }
  }
}

TEST_F(Bitmap, ModuleWidthZeroDrawsAsOne) {
  enc.setBitmapWriter(0, true);
  ASSERT_EQ(test::encodeText(enc, "zero"), 1);
  const std::vector<std::uint8_t> zero = test::writeBitmapFile(enc);
  enc.setBitmapWriter(1, true);
  const std::vector<std::uint8_t> one = test::writeBitmapFile(enc);
  EXPECT_EQ(zero, one);
  ASSERT_FALSE(one.empty());
}

TEST_F(Bitmap, RowHeightIsNotCutTo8Bits) {
  Symbol l;
  l.rows = 3;
  l.columns = 1;
  l.rowHeightNum = 25;
  l.rowHeightDen = 1;
  const BitmapGeometry g = bitmapGeometry(l, 20);
  EXPECT_EQ(g.rowHeightPx, 500u);
  EXPECT_EQ(g.height, 1500u);
  l.rowHeightNum = 1;
  l.rowHeightDen = 25;
  EXPECT_EQ(bitmapGeometry(l, 1).rowHeightPx, 1u);  // at least one pixel
}

TEST_F(Bitmap, OutputBufferCapacityIsRespected) {
  enc.setBitmapWriter(2, true);
  ASSERT_EQ(test::encodeText(enc, "Capacity of the output buffer"), 1);
  std::int32_t size = 0;
  ASSERT_EQ(enc.write(nullptr, &size), 0);
  ASSERT_GT(size, 0);
  constexpr std::size_t kGuard = 64;
  std::vector<std::uint8_t> memory(static_cast<std::size_t>(size) + kGuard, 0xA5);

  // Exactly the size: fits.
  Pdf417Stream os;
  pdf417OpenMemory(&os, PDF417_STREAM_OUTPUT, memory.data(), static_cast<std::uint32_t>(size));
  std::int32_t written = -1;
  EXPECT_EQ(enc.write(&os, &written), 0);
  EXPECT_EQ(written, size);
  for (std::size_t i = 0; i < kGuard; ++i) ASSERT_EQ(memory[size + i], 0xA5);

  // One byte short: refused, nothing written past the buffer, bytesWritten untouched.
  std::fill(memory.begin(), memory.end(), 0xA5);
  pdf417OpenMemory(&os, PDF417_STREAM_OUTPUT, memory.data(), static_cast<std::uint32_t>(size - 1));
  written = -1;
  EXPECT_EQ(enc.write(&os, &written), PDF417_ERR_WRITER);
  EXPECT_EQ(written, -1);
  for (std::size_t i = static_cast<std::size_t>(size - 1); i < memory.size(); ++i) ASSERT_EQ(memory[i], 0xA5);
  EXPECT_TRUE((enc.message() != nullptr));  // a failed write keeps the message

  // A null or empty buffer holds nothing.
  pdf417OpenMemory(&os, PDF417_STREAM_OUTPUT, nullptr, 1000);
  EXPECT_EQ(enc.write(&os, &written), PDF417_ERR_WRITER);
}

TEST_F(Bitmap, WidestSymbolFitsTheRowBuffer) {
  enc.setEccLevel(8);
  enc.setSizingMode(SIZING_FIXED);
  ASSERT_EQ(enc.setRowsColumns(30, 30), 1);
  ASSERT_EQ(enc.setRowHeightRatio("1:20"), 1);
  ASSERT_EQ(enc.setBitmapWriter(20, false), 1);
  ASSERT_EQ(test::encodeText(enc, std::string(300, 'x')), 1);
  int rc = -1;
  const std::vector<std::uint8_t> file = test::writeBitmapFile(enc, &rc);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(le32(file, 4), 11580u);
  EXPECT_EQ(le32(file, 8), 30u);
}

}  // namespace
}  // namespace torv::pdf417
