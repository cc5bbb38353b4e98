// SPDX-License-Identifier: Apache-2.0
// Option setters, the capacity plan, streams and the error codes of encode and write.
#include "pdf417/options.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace torv::pdf417 {
namespace {

class Options : public ::testing::Test {
 protected:
  Encoder enc;
  const Pdf417Options& o() { return enc.options(); }
};

TEST_F(Options, ResetValues) {
  enc.setEccLevel(3);
  enc.setBitmapWriter(4, true);
  EXPECT_EQ(enc.reset(), 1);
  EXPECT_EQ(o().rows, 90);
  EXPECT_EQ(o().columns, 30);
  EXPECT_EQ(o().sizingMode, SIZING_BOUNDED);
  EXPECT_EQ(o().aspect, 50);
  EXPECT_EQ(o().rowHeightNum, 3);
  EXPECT_EQ(o().rowHeightDen, 1);
  EXPECT_FALSE(o().eccExplicit);
  EXPECT_FALSE(enc.bitmap().installed);
}

TEST_F(Options, EccLevelIsCompared16Bit) {
  EXPECT_EQ(enc.setEccLevel(8), 1);
  EXPECT_EQ(o().eccLevel, 8);
  EXPECT_TRUE(o().eccExplicit);
  EXPECT_EQ(enc.setEccLevel(9), 0);
  EXPECT_EQ(enc.setEccLevel(-1), 0);
  EXPECT_EQ(o().eccLevel, 8);
  EXPECT_EQ(enc.setEccLevel(65536 + 2), 1);
  EXPECT_EQ(o().eccLevel, 2);
}

TEST_F(Options, SizingModeAndRowsColumns) {
  EXPECT_EQ(enc.setSizingMode(2), 0);
  // Bounded: both nonzero.
  EXPECT_EQ(enc.setRowsColumns(0, 5), 0);
  EXPECT_EQ(enc.setRowsColumns(5, 0), 0);
  EXPECT_EQ(enc.setRowsColumns(90, 30), 1);  // bounds may pass 928
  EXPECT_EQ(enc.setSizingMode(SIZING_FIXED), 1);
  EXPECT_EQ(o().rows, 58);
  EXPECT_EQ(o().columns, 16);
  EXPECT_EQ(enc.setRowsColumns(2, 8), 0);
  EXPECT_EQ(enc.setRowsColumns(91, 8), 0);
  EXPECT_EQ(enc.setRowsColumns(10, 31), 0);
  EXPECT_EQ(enc.setRowsColumns(0, 0), 0);
  EXPECT_EQ(enc.setRowsColumns(90, 11), 0);  // 990 slots
  EXPECT_EQ(o().rows, 58);
  EXPECT_EQ(o().columns, 16);
  EXPECT_EQ(enc.setRowsColumns(65536 + 3, 0), 1);
  EXPECT_EQ(o().rows, 3);
  EXPECT_EQ(o().columns, 0);
  EXPECT_EQ(enc.setRowsColumns(0, 65536 + 30), 1);
  EXPECT_EQ(o().columns, 30);
  EXPECT_EQ(enc.setSizingMode(SIZING_BOUNDED), 1);
  EXPECT_EQ(o().rows, 90);
  EXPECT_EQ(o().columns, 30);
}

TEST_F(Options, AspectRatioTexts) {
  EXPECT_EQ(enc.setAspectRatio("1:2"), 1);
  EXPECT_EQ(o().aspect, 50);
  EXPECT_EQ(enc.setAspectRatio("10:1"), 1);
  EXPECT_EQ(o().aspect, 1000);
  EXPECT_EQ(enc.setAspectRatio(".5:1"), 1);
  EXPECT_EQ(o().aspect, 50);
  EXPECT_EQ(enc.setAspectRatio("12.345:12.34"), 1);  // 1234 : 1234
  EXPECT_EQ(o().aspect, 100);
  EXPECT_EQ(enc.setAspectRatio("1:99.99"), 1);  // floor(10000 / 9999) = 1
  EXPECT_EQ(o().aspect, 1);
  for (const char* bad : {"100:1", "1:0", ".001:1", "12", "", ":", "1:", "a:1", "1..2:1", "1:2x", "1:100"}) {
    EXPECT_EQ(enc.setAspectRatio(bad), 0) << bad;
  }
  EXPECT_EQ(enc.setAspectRatio(nullptr), 0);
  EXPECT_EQ(o().aspect, 1);
}

TEST_F(Options, RowHeightRatioTexts) {
  EXPECT_EQ(enc.setRowHeightRatio("4:2"), 1);
  EXPECT_EQ(o().rowHeightNum, 4);
  EXPECT_EQ(o().rowHeightDen, 2);
  EXPECT_EQ(enc.setRowHeightRatio("25"), 1);
  EXPECT_EQ(o().rowHeightNum, 25);
  EXPECT_EQ(o().rowHeightDen, 1);
  EXPECT_EQ(enc.setRowHeightRatio("7.9:2.5"), 1);
  EXPECT_EQ(o().rowHeightNum, 7);
  EXPECT_EQ(o().rowHeightDen, 2);
  for (const char* bad : {"26:1", "0:1", "1:0", "0.5", "1:26", "x", "", "3:", "3:1:1"}) {
    EXPECT_EQ(enc.setRowHeightRatio(bad), 0) << bad;
  }
  EXPECT_EQ(enc.setRowHeightRatio(nullptr), 0);
  EXPECT_EQ(o().rowHeightNum, 7);
}

TEST_F(Options, BitmapWriterWidth) {
  EXPECT_EQ(enc.setBitmapWriter(21, true), 0);
  EXPECT_FALSE(enc.bitmap().installed);
  EXPECT_EQ(enc.setBitmapWriter(-1, true), 0);
  EXPECT_EQ(enc.setBitmapWriter(20, true), 1);
  EXPECT_TRUE(enc.bitmap().installed);
  EXPECT_EQ(enc.setBitmapWriter(65536, false), 1);
  EXPECT_EQ(enc.bitmap().moduleWidth, 0);
  EXPECT_FALSE(enc.bitmap().withFileHeader);
}

TEST_F(Options, EncodeErrorCodes) {
  EXPECT_EQ(enc.encode(nullptr, 0), PDF417_ERR_NO_STREAM);
  EXPECT_EQ(pdf417OpenMemory(nullptr, PDF417_STREAM_INPUT, nullptr, 0), 0);
  char data[] = "hello";
  Pdf417Stream s;
  EXPECT_EQ(pdf417OpenMemory(&s, PDF417_STREAM_OUTPUT, data, 5), 1);
  EXPECT_EQ(enc.encode(&s, 5), PDF417_ERR_NOT_INPUT);
  pdf417OpenMemory(&s, 7, data, 5);
  EXPECT_EQ(enc.encode(&s, 5), PDF417_ERR_NOT_INPUT);
  pdf417OpenMemory(&s, PDF417_STREAM_INPUT, data, 5);
  EXPECT_EQ(enc.encode(&s, 6), PDF417_ERR_TOO_LONG);  // more than the stream holds
  EXPECT_EQ(enc.encode(&s, -1), PDF417_ERR_TOO_LONG);
  EXPECT_EQ(enc.encode(&s, 183996321), PDF417_ERR_TOO_LONG);
  enc.setSizingMode(SIZING_FIXED);
  enc.setRowsColumns(3, 1);
  enc.setEccLevel(0);
  EXPECT_EQ(enc.encode(&s, 5), PDF417_ERR_NO_ROOM);
  std::int32_t size = 0;
  EXPECT_EQ(enc.write(nullptr, &size), PDF417_ERR_NOT_ENCODED);
}

TEST_F(Options, DataThatDoesNotFitFails) {
  enc.setEccLevel(8);  // 416 data codewords
  enc.setBitmapWriter(1, true);
  std::string bytes(600, '\xC3');  // 600 bytes need 500 codewords
  EXPECT_EQ(test::encodeText(enc, bytes), PDF417_ERR_TOO_LONG);
  EXPECT_FALSE((enc.message() != nullptr));
  // Exactly at capacity: a latch and 414 codewords hold 82 x 6 + 4 = 496 bytes.
  EXPECT_EQ(test::encodeText(enc, std::string(496, '\xC3')), 1);
  EXPECT_EQ(enc.message()->count, 416);
  EXPECT_EQ(test::encodeText(enc, std::string(497, '\xC3')), PDF417_ERR_TOO_LONG);
  // 2,710 digits at level 0 in 928 slots; one more digit does not fit.
  enc.reset();
  enc.setEccLevel(0);
  const unsigned digitRoom = 44 * 61 + 3 * 9 - 1;  // 924 codewords behind the latch
  EXPECT_EQ(test::encodeText(enc, std::string(digitRoom, '7')), 1);
  EXPECT_EQ(enc.message()->count, 926);
  EXPECT_EQ(test::encodeText(enc, std::string(digitRoom + 1, '7')), PDF417_ERR_TOO_LONG);
}

TEST_F(Options, MixedDataFallsBackToAllBytesWhenThatHoldsMore) {
  enc.setEccLevel(0);
  enc.setSizingMode(SIZING_FIXED);
  ASSERT_EQ(enc.setRowsColumns(3, 10), 1);  // 30 slots, room for 27 data codewords
  // Alternating Lower and Mixed costs two values a byte: Text holds 27 of these 31 bytes,
  // Byte Compaction holds all 31 (901, 5 x 5, 1).
  std::string text;
  for (int i = 0; i < 15; ++i) text += "a#";
  text += "a";
  ASSERT_EQ(test::encodeText(enc, text), 1);
  const std::vector<int> cw = test::dataCodewords(enc);
  ASSERT_EQ(cw.size(), 27u);
  EXPECT_EQ(cw[0], 901);
  EXPECT_EQ(cw.back(), 'a');
  // Two bytes more fit neither way.
  EXPECT_EQ(test::encodeText(enc, text + "#a"), PDF417_ERR_TOO_LONG);
}

TEST_F(Options, ClosedInputStreamFindsNoDataLeft) {
  char data[] = "ABC";
  Pdf417Stream s;
  pdf417OpenMemory(&s, PDF417_STREAM_INPUT, data, 3);
  ASSERT_EQ(enc.encode(&s, 3), 1);
  EXPECT_EQ(s.readCursor, 3u);
  ASSERT_EQ(enc.encode(&s, 3), 1);
  EXPECT_EQ(enc.message()->count, 1);  // empty message
  EXPECT_EQ(enc.close(&s), 1);
  EXPECT_FALSE((enc.message() != nullptr));
  EXPECT_EQ(enc.close(nullptr), 1);
}

TEST_F(Options, WriteErrorCodes) {
  ASSERT_EQ(test::encodeText(enc, "ABC"), 1);
  EXPECT_EQ(enc.write(nullptr, nullptr), PDF417_ERR_NO_TARGET);
  char data[4];
  Pdf417Stream in;
  pdf417OpenMemory(&in, PDF417_STREAM_INPUT, data, 4);
  EXPECT_EQ(enc.write(&in, nullptr), PDF417_ERR_NOT_OUTPUT);
  // No writer: success with nothing written.
  std::uint8_t out[8] = {};
  Pdf417Stream os;
  pdf417OpenMemory(&os, PDF417_STREAM_OUTPUT, out, sizeof out);
  std::int32_t written = -1;
  EXPECT_EQ(enc.write(&os, &written), 0);
  EXPECT_EQ(written, 0);
}

}  // namespace
}  // namespace torv::pdf417
