// SPDX-License-Identifier: Apache-2.0
// Fewest-codeword compaction: designators, cases where only an exact search finds the shortest,
// never more than the default rules, and all-or-nothing within the symbol's room.
#include "pdf417/fewest_compaction.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pdf417/capacity_plan.h"
#include "pdf417/compaction.h"
#include "test_support.h"

namespace torv::pdf417 {
namespace {

using V = std::vector<int>;

const std::uint8_t* bytesOf(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

V fewest(const std::string& data, int eci = -1, std::uint16_t capacity = kMaxSlots,
         FewestStart start = FewestStart::Text) {
  CodewordBuffer message;
  message.capacity = capacity;
  if (!compactFewest(bytesOf(data), static_cast<std::uint32_t>(data.size()), eci, message, start)) return {-1};
  return V(message.entries + 1, message.entries + message.count);
}

int rulesCount(const std::string& data) {
  CapacityPlan plan;
  plan.capacity = kMaxSlots;
  CodewordBuffer message;
  InputCursor in{bytesOf(data), 0, static_cast<std::uint32_t>(data.size())};
  compact(in, plan, message);
  return in.pos == in.end ? message.count - 1 : -1;
}

TEST(FewestCompaction, DesignatorsOfTheThreeRanges) {
  const struct {
    int eci;
    V leading;
  } cases[] = {
      {0, {927, 0}},      {899, {927, 899}},    {900, {926, 0, 0}}, {810899, {926, 899, 899}},
      {810900, {925, 0}}, {811799, {925, 899}}, {811800, {-1}},
  };
  for (const auto& c : cases) {
    const V all = fewest("A", c.eci);
    EXPECT_EQ(V(all.begin(), all.begin() + std::min(all.size(), c.leading.size())), c.leading) << c.eci;
    if (c.leading[0] >= 0) {
      EXPECT_EQ(all.size(), c.leading.size() + 1) << c.eci;
    }
  }
  // The default rules write the same designators.
  CapacityPlan plan;
  plan.capacity = 8;
  CodewordBuffer message;
  const std::string a = "A";
  InputCursor in{bytesOf(a), 0, 1};
  compact(in, plan, message, 810900);
  EXPECT_EQ(V(message.entries + 1, message.entries + message.count), (V{925, 0, 29}));

  Encoder enc;
  EXPECT_EQ(enc.setEci(811799), 1);
  EXPECT_EQ(enc.setEci(811800), 0);
  EXPECT_EQ(enc.options().eci, 811799);
}

// Shortest encodings that the default rules miss: the even half before a byte shift keeps
// Punctuation (padding an odd one would latch back to Alpha), a lone capital is shifted from
// Lower, control bytes share one Byte segment, digits inside a byte run stay bytes, Text entered
// from another mode (or from MicroPDF417's start in Byte Compaction) may begin with a shift.
TEST(FewestCompaction, ShortestEncodingsOfTrickyData) {
  const struct {
    std::string data;
    V codewords;
    FewestStart start = FewestStart::Text;
  } cases[] = {
      {";;;;;\x80;;;;;", {870, 865, 0, 0, 913, 128, 0, 0, 29}},
      {"abcDef", {810, 32, 813, 125}},
      {std::string("\x01\x02\x03\x04\x05\x06", 6), {924, 1, 620, 89, 74, 846}},
      {"12345678", {902, 138, 628, 478}},
      {"12345678901234;AB", {902, 171, 209, 269, 12, 434, 900, 870, 1}},
      {"<+*%`~.(", {900, 871, 860, 681, 878, 759, 533}, FewestStart::Byte},
      {"12", {902, 112}, FewestStart::Byte},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fewest(c.data, -1, kMaxSlots, c.start), c.codewords) << c.data;
    EXPECT_EQ(fewestCodewordCount(bytesOf(c.data), static_cast<std::uint32_t>(c.data.size()), c.start),
              c.codewords.size());
  }
}

// Random data of several kinds: the search writes what it counted, and never more than the rules.
TEST(FewestCompaction, NeverMoreThanTheRules) {
  std::mt19937 rng(29);
  const char* alphabets[] = {"0123456789", "ABCDEFGHabcdefgh 0123,.:;!?", ";<>@[]_~!\"|()?{}'ABab12",
                             "aA\r\n\t\x01\x1e\x7f\xe4\xdc.,09 "};
  long fewer = 0;
  for (int i = 0; i < 800; ++i) {
    std::string data;
    const int length = 1 + static_cast<int>(rng() % 150);
    const std::string alphabet = alphabets[i % 4];
    for (int k = 0; k < length; ++k) {
      data += i % 5 == 4 ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()];
    }
    const V ours = fewest(data);
    const int rules = rulesCount(data);
    ASSERT_NE(ours, V{-1}) << data;
    EXPECT_EQ(fewestCodewordCount(bytesOf(data), static_cast<std::uint32_t>(data.size())), ours.size()) << data;
    EXPECT_LE(static_cast<int>(ours.size()), rules) << data;
    fewer += rules - static_cast<int>(ours.size());
  }
  EXPECT_GT(fewer, 0);
}

// All or nothing: without room the message keeps only its descriptor slot and the encoder says
// the data does not fit; the default stays the rules.
TEST(FewestCompaction, AllOrNothingWithinTheRoom) {
  EXPECT_EQ(fewest("abcDef", -1, 5), (V{810, 32, 813, 125}));
  EXPECT_EQ(fewest("abcDef", -1, 4), V{-1});
  EXPECT_EQ(fewest("abcDef", 26, 6), V{-1});
  EXPECT_EQ(fewest(std::string(3000, '7')), V{-1});

  Encoder enc;
  EXPECT_EQ(enc.options().compaction, Compaction::Rules);
  enc.setSizingMode(SIZING_FIXED);
  ASSERT_EQ(enc.setRowsColumns(3, 2), 1);
  ASSERT_EQ(enc.setEccLevel(0), 1);
  ASSERT_EQ(enc.setCompaction(Compaction::Fewest), 1);
  const std::string data = "abcD";  // LL a b c AS D: 3 codewords of the 4 that fit
  EXPECT_EQ(test::encodeText(enc, data), 1);
  EXPECT_EQ(test::dataCodewords(enc), (V{810, 32, 813}));
  EXPECT_EQ(test::encodeText(enc, data + "ef!"), PDF417_ERR_TOO_LONG);
  EXPECT_EQ(enc.message(), nullptr);
}

}  // namespace
}  // namespace torv::pdf417
