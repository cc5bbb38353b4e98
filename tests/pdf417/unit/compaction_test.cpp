// SPDX-License-Identifier: Apache-2.0
// High-level encoding: the segment choice and the three compaction modes.
#include "pdf417/compaction.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace torv::pdf417 {
namespace {

using test::dataCodewords;
using test::encodeText;
using V = std::vector<int>;

class Compaction : public ::testing::Test {
 protected:
  Encoder enc;
  V encode(const std::string& text) {
    EXPECT_EQ(encodeText(enc, text), 1) << text;
    return dataCodewords(enc);
  }
};

TEST_F(Compaction, TextOfPdf417LatchesToMixedAndPadsTheLastValue) {
  EXPECT_EQ(encode("PDF417"), (V{453, 178, 121, 239}));
}

TEST_F(Compaction, EightDigitsAreNumericSevenAreText) {
  EXPECT_EQ(encode("12345678"), (V{902, 138, 628, 478}));
  const V seven = encode("1234567");
  ASSERT_FALSE(seven.empty());
  EXPECT_NE(seven[0], 902);
  EXPECT_EQ(seven.size(), 4u);  // ML then 7 digits: 8 values
}

TEST_F(Compaction, NumericGroupsOfTheStandard) {
  CodewordBuffer b;
  const std::string digits = "000213298174000";
  numericCompact(reinterpret_cast<const std::uint8_t*>(digits.data()), 15, b);
  EXPECT_EQ(V(b.entries + 1, b.entries + b.count), (V{1, 624, 434, 632, 282, 200}));

  CodewordBuffer ones;
  const std::string many(44, '1');
  numericCompact(reinterpret_cast<const std::uint8_t*>(many.data()), 44, ones);
  EXPECT_EQ(ones.count - 1, 15);
  // 45 digits: a full group of 15 codewords and a group of one digit (1 codeword).
  CodewordBuffer more;
  const std::string d45(45, '9');
  numericCompact(reinterpret_cast<const std::uint8_t*>(d45.data()), 45, more);
  EXPECT_EQ(more.count - 1, 16);
  EXPECT_EQ(more.entries[16], 19);  // "19"
}

TEST_F(Compaction, ByteGroupsOfTheStandard) {
  CodewordBuffer b;
  const std::string text = "abcdef";
  b.append(kLatchByteSix);
  byteCompact(reinterpret_cast<const std::uint8_t*>(text.data()), 6, b);
  EXPECT_EQ(V(b.entries + 1, b.entries + b.count), (V{924, 163, 179, 507, 603, 522}));
  CodewordBuffer rest;
  const std::uint8_t bytes[] = {0, 255, 7};
  byteCompact(bytes, 3, rest);
  EXPECT_EQ(V(rest.entries + 1, rest.entries + rest.count), (V{0, 255, 7}));
}

TEST_F(Compaction, SingleByteInsideTextIsShifted) {
  const V cw = encode(std::string("ABCDE") + '\x80' + "FGHIJ");
  // ABCDE: 0 1 | 2 3 | 4 29; 913 128; FGHIJ in Alpha without a 900 latch.
  EXPECT_EQ(cw, (V{1, 63, 149, 913, 128, 5 * 30 + 6, 7 * 30 + 8, 9 * 30 + 29}));
}

TEST_F(Compaction, DigitsAfterBytesAreNumericFromOneDigitOn) {
  EXPECT_EQ(encode(std::string("\x80\x81") + "12345"), (V{901, 128, 129, 902, 124, 745}));
  // After a single shifted byte the mode is still Text, so 5 digits stay Text.
  const V shifted = encode(std::string("\x80") + "12345");
  ASSERT_GE(shifted.size(), 2u);
  EXPECT_EQ(shifted[0], 913);
  EXPECT_EQ(shifted[1], 128);
  EXPECT_EQ(shifted.size(), 2u + 3u);  // ML 1 2 3 4 5 -> 6 values
  EXPECT_EQ(shifted[2], 28 * 30 + 1);
}

TEST_F(Compaction, DigitRunFollowedByTextNeedsFourteenDigits) {
  const V thirteen = encode(std::string(13, '5') + "AB");
  EXPECT_EQ(std::count(thirteen.begin(), thirteen.end(), 902), 0);
  const V fourteen = encode(std::string(14, '5') + "AB");
  ASSERT_FALSE(fourteen.empty());
  EXPECT_EQ(fourteen[0], 902);
  EXPECT_EQ(fourteen[6], 900);  // 14 digits take 5 codewords, then back to Text
}

TEST_F(Compaction, TrailingByteAfterShortTextAndByteSegments) {
  EXPECT_EQ(encode(std::string("AB") + '\x80'), (V{1, 913, 128}));
  EXPECT_EQ(encode(std::string("AB") + '\x80' + "C"), (V{901, 'A', 'B', 128, 'C'}));
  const V twelve = encode(std::string(12, '\xF0'));
  ASSERT_EQ(twelve.size(), 11u);
  EXPECT_EQ(twelve[0], 924);
  const V thirteen = encode(std::string(13, '\xF0'));
  ASSERT_EQ(thirteen.size(), 12u);
  EXPECT_EQ(thirteen[0], 901);
  EXPECT_EQ(thirteen.back(), 0xF0);
}

TEST_F(Compaction, PunctuationShiftAndLatch) {
  // Comma then X: PS 13, then X (23) padded.
  EXPECT_EQ(encode(",X"), (V{29 * 30 + 13, 23 * 30 + 29}));
  // Four commas: ML PL 13 13 13 13, X returns with PAL.
  EXPECT_EQ(encode(",,,,X"), (V{28 * 30 + 25, 13 * 30 + 13, 13 * 30 + 13, 29 * 30 + 23}));
}

TEST_F(Compaction, LowerToAlphaLatchOrShift) {
  // a: LL 0; B with four Alpha bytes after it: ML AL 1; C D E F.
  EXPECT_EQ(encode("aBCDEF"), (V{27 * 30 + 0, 28 * 30 + 28, 1 * 30 + 2, 3 * 30 + 4, 5 * 30 + 29}));
  // a B c: B is shifted (AS 1) and c stays in Lower.
  EXPECT_EQ(encode("aBc"), (V{27 * 30 + 0, 27 * 30 + 1, 2 * 30 + 29}));
}

TEST_F(Compaction, ControlCharactersAndMixedMembers) {
  // HT, LF, CR are text; LF is only in Punctuation.
  const V cw = encode("A\tB\nC\rD");
  EXPECT_EQ(std::count(cw.begin(), cw.end(), 913), 0);
  EXPECT_EQ(std::count(cw.begin(), cw.end(), 901), 0);
}

TEST(CharClasses, MembershipOfTheSubModeTables) {
  EXPECT_EQ(kCharClass[' '], kAlpha | kLower | kMixed);
  for (char c : {'\t', '\r', ',', ':', '-', '.', '$', '/', '*'}) {
    EXPECT_EQ(kCharClass[static_cast<std::uint8_t>(c)], kMixed | kPunct) << c;
  }
  EXPECT_EQ(kCharClass['\n'], kPunct);
  EXPECT_EQ(kCharClass['7'], kMixed | kDigit);
  EXPECT_EQ(kSubModeValue[SubMixed][' '], 26);
  EXPECT_EQ(kSubModeValue[SubPunct]['\''], 28);
  int text = 0;
  for (int b = 0; b < 256; ++b) text += isTextByte(static_cast<std::uint8_t>(b)) ? 1 : 0;
  EXPECT_EQ(text, 95 + 3);  // 32..126, HT, LF, CR
}

TEST_F(Compaction, EmptyDataHoldsOnlyTheDescriptor) {
  EXPECT_EQ(encode(""), V{});
  EXPECT_EQ(enc.message()->count, 1);
}

TEST_F(Compaction, ChooserStopsWithoutRoom) {
  CodewordBuffer b;
  b.capacity = 1;
  const std::uint8_t data[] = {'A'};
  InputCursor in{data, 0, 1};
  EXPECT_EQ(chooseCompaction(in, b, EncodingMode::Text).kind, CompactionChoice::Stop);
  b.capacity = 2;  // one free codeword: Text still fits, a byte would not
  EXPECT_EQ(chooseCompaction(in, b, EncodingMode::Text).kind, CompactionChoice::Text);
  const std::uint8_t binary[] = {0x80};
  InputCursor bin{binary, 0, 1};
  EXPECT_EQ(chooseCompaction(bin, b, EncodingMode::Text).kind, CompactionChoice::Stop);
}

TEST_F(Compaction, TextRunsOutOfRoomAndPushesTheByteBack) {
  CodewordBuffer b;
  b.capacity = 3;  // two free codewords: four values
  const std::string text = "ABCDEFG";
  InputCursor in{reinterpret_cast<const std::uint8_t*>(text.data()), 0, 7};
  TextSubMode sub = SubAlpha;
  EXPECT_FALSE(textCompact(in, 7, b, sub));
  EXPECT_EQ(in.pos, 4u);
  EXPECT_EQ(b.count, 3);
}

// The designator leads the message in every path, the all-bytes restart included; a message that
// has no room for it holds nothing rather than bytes a reader would take for other characters.
TEST_F(Compaction, UtfEightDesignatorLeadsTheMessageOrNothingIsEncoded) {
  const struct {
    std::string data;
    std::uint16_t capacity;
    std::uint32_t encoded;
    V leading;
  } cases[] = {
      {"AB", 8, 2, {927, 26, 1}},
      // Mixed compaction holds only part of it; all twelve fit as one Byte segment.
      {"u\xb1"
       "3gn27\xf4v6\xa5\xae",
       14,
       12,
       {927, 26, 924}},
      {"A", 2, 0, {}},
  };
  for (const auto& c : cases) {
    CapacityPlan plan;
    plan.capacity = c.capacity;
    CodewordBuffer message;
    InputCursor in{reinterpret_cast<const std::uint8_t*>(c.data.data()), 0, static_cast<std::uint32_t>(c.data.size())};
    compact(in, plan, message, 26);
    EXPECT_EQ(in.pos, c.encoded) << c.data;
    EXPECT_LE(message.count, c.capacity) << c.data;
    const V leading(message.entries + 1, message.entries + std::min<int>(message.count, 1 + c.leading.size()));
    EXPECT_EQ(leading, c.leading) << c.data;
  }
}

TEST_F(Compaction, NumericDigitsPerCodewordCount) {
  EXPECT_EQ(numericDigitsFor(1), 2u);
  EXPECT_EQ(numericDigitsFor(3), 8u);
  EXPECT_EQ(numericDigitsFor(15), 44u);
  EXPECT_EQ(numericDigitsFor(16), 46u);
}

}  // namespace
}  // namespace torv::pdf417
