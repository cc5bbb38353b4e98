// SPDX-License-Identifier: Apache-2.0
// Macro PDF417 control blocks and their place in the symbol, Reader Initialisation and compact
// symbols, codeword for codeword.
#include "pdf417/macro.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace torv::pdf417 {
namespace {

using Codewords = std::vector<std::uint16_t>;

TEST(MacroControlBlock, FieldsInTheirCompactionModes) {
  MacroFile file;
  file.fileId = {1, 2, 3};
  file.fileName = "AB";
  file.sender = "Z\xFC";  // u-umlaut has no Text Compaction value: shifted in as a byte
  file.timeStamp = 0;
  file.fileSize = true;
  file.checksum = true;
  struct Case {
    MacroSegment segment;
    Codewords expected;
  };
  const std::vector<Case> cases = {
      // Index 3 is 100003 in base 900; count 7 is 17; size 2000 is 12000 = 13 x 900 + 300; checksum 0x29B1 is
      // 110673 = 122 x 900 + 873.
      {{3, 7, true}, {928, 111, 103,          1,   2,    3,   923, 0,  1,   923, 1, 17,  923, 2,  10,
                      923, 3,   25 * 30 + 29, 913, 0xFC, 923, 5,   13, 300, 923, 6, 122, 873, 922}},
      // The largest index; no terminator before the last segment.
      {{99998, 99999, false}, {928, 222, 198,          1,   2,    3,   923, 0,  1,   923, 1, 222, 199, 923, 2, 10,
                               923, 3,   25 * 30 + 29, 913, 0xFC, 923, 5,   13, 300, 923, 6, 122, 873}},
  };
  for (const Case& c : cases) {
    Codewords block;
    ASSERT_TRUE(appendMacroControlBlock(file, 2000, 0x29B1, c.segment, block));
    EXPECT_EQ(block, c.expected) << "segment " << c.segment.index;
  }
  Codewords refused;
  EXPECT_FALSE(appendMacroControlBlock(file, 0, 0, {kMaxMacroSegments, 1, true}, refused));
  file.fileId = {900};
  EXPECT_FALSE(appendMacroControlBlock(file, 0, 0, {0, 1, true}, refused));
}

TEST(MacroControlBlock, ChecksumAndFileIdDigits) {
  const std::string check = "123456789";
  EXPECT_EQ(macroChecksum(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()), 0x29B1);
  EXPECT_EQ(macroChecksum(nullptr, 0), 0xFFFF);
  EXPECT_EQ(macroFileIdFromDigits("000899017"), (Codewords{0, 899, 17}));
  for (const char* bad : {"", "12", "900", "12a", "0001"}) EXPECT_FALSE(macroFileIdFromDigits(bad)) << bad;
}

// Pads stand between the data and the control block, the length descriptor counts all of them,
// and the block's room is kept at encode time; 921 comes right after the length descriptor.
TEST(MacroControlBlock, PadsBeforeTheBlockAndReaderInitFirst) {
  const Codewords block = {928, 111, 100, 5, 922};
  Encoder enc;
  enc.setEccLevel(0);
  enc.setSizingMode(SIZING_FIXED);
  ASSERT_EQ(enc.setRowsColumns(4, 3), 1);  // 12 slots, 2 check codewords
  ASSERT_EQ(enc.setMacroControlBlock(block.data(), static_cast<unsigned>(block.size())), 1);
  enc.setReaderInit(true);
  ASSERT_EQ(test::encodeText(enc, "AB"), 1);
  std::int32_t size = 0;
  ASSERT_EQ(enc.write(nullptr, &size), 0);
  const std::vector<int> sequence = test::fullSequence(enc);
  const std::vector<int> head(sequence.begin(), sequence.begin() + 10);
  EXPECT_EQ(head, (std::vector<int>{10, 921, 1, 900, 900, 928, 111, 100, 5, 922}));

  // Descriptor, 921, the block: 7 of the 10 data slots; 4 more codewords of data do not fit.
  EXPECT_EQ(test::encodeText(enc, "ABCDEFGH"), PDF417_ERR_TOO_LONG);
  EXPECT_EQ(test::encodeText(enc, "ABCDEF"), 1);
  // A block with no room beside it is refused as too long.
  const Codewords huge(9, 900);
  ASSERT_EQ(enc.setMacroControlBlock(huge.data(), static_cast<unsigned>(huge.size())), 1);
  EXPECT_EQ(test::encodeText(enc, ""), PDF417_ERR_TOO_LONG);
}

// A set splits into the fewest symbols: a file that fills k symbols to the byte takes k, one more
// byte takes k + 1, and an empty file is one symbol of its control block alone.
TEST(MacroSetSplit, FewestSymbolsAtTheBoundary) {
  Encoder enc;
  enc.setEccLevel(2);
  enc.setSizingMode(SIZING_FIXED);
  ASSERT_EQ(enc.setRowsColumns(10, 5), 1);  // 50 slots, 8 check codewords: 42 with the descriptor
  MacroFile file;
  file.fileId = {7};
  file.segmentCount = false;
  // Room: 42 - descriptor - block (928, 2 index codewords, 1 ID codeword) - latch = 36 codewords,
  // 7 groups of 6 bytes and 1 more: 43 bytes; the last segment's 922 costs one byte of it.
  std::vector<std::uint8_t> bytes(43 * 3 + 42, 0x80);
  MacroSet set;
  ASSERT_EQ(set.split(enc, bytes.data(), static_cast<std::uint32_t>(bytes.size()), file), 0);
  EXPECT_EQ(set.size(), 4u);
  bytes.push_back(0x80);
  ASSERT_EQ(set.split(enc, bytes.data(), static_cast<std::uint32_t>(bytes.size()), file), 0);
  EXPECT_EQ(set.size(), 5u);
  ASSERT_EQ(set.split(enc, bytes.data(), 0, file), 0);
  ASSERT_EQ(set.size(), 1u);
  ASSERT_EQ(set.encode(enc, 0), 1);
  EXPECT_EQ(test::dataCodewords(enc), (std::vector<int>{}));
}

}  // namespace
}  // namespace torv::pdf417
