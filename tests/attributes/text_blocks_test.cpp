// SPDX-License-Identifier: Apache-2.0
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "attributes/TextBlocks.h"
#include "caught.h"

namespace torv::testing {
namespace {

using attributes::TextBlocks;
using attributes::TextEntry;
using attributes::TextLimits;

// Small limits, so that texts at the length limit and packed blocks cost a few bytes.
constexpr TextLimits kSmall{300, 512, 64, 256};

void expectTexts(const TextBlocks& texts, const torv::attributes::EntryList& entries,
                 const std::vector<std::pair<std::string, std::string>>& expected) {
  ASSERT_EQ(entries.size(), expected.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(texts.name(entries[i]), expected[i].first) << i;
    EXPECT_EQ(texts.value(entries[i]), expected[i].second) << i;
  }
}

TEST(TextBlocks, TextsAtTheLengthLimitStayApartAndLongerOnesAreRefused) {
  TextBlocks texts(kSmall);
  const std::string longest(kSmall.longestText, 'n');
  torv::attributes::EntryList entries{texts.place("a", "first"), texts.place(longest, "value behind a long name")};
  ASSERT_GT(entries[1].at, 0u);
  // A shorter value goes behind its own name, wherever that lies, never over an earlier entry.
  texts.setValue(entries[1], "short");
  texts.setValue(entries[0], std::string(kSmall.longestText, 'v'));
  expectTexts(texts, entries, {{"a", std::string(kSmall.longestText, 'v')}, {longest, "short"}});

  const std::string over(kSmall.longestText + 1, 'x');
  for (const auto& attempt : std::vector<std::function<void()>>{
           [&] { texts.place(over, ""); }, [&] { texts.place("b", over); }, [&] { texts.setValue(entries[0], over); },
           [&] {
             texts.receive([&](std::string& block) {
               block += over;
               return block.size();
             });
           }}) {
    const Caught failure = caught(attempt);
    EXPECT_EQ(failure.kind, "CZException");
    EXPECT_EQ(failure.message, "attribute text too long");
  }
  expectTexts(texts, entries, {{"a", std::string(kSmall.longestText, 'v')}, {longest, "short"}});
}

TEST(TextBlocks, ReplacedTextsArePackedAwayAndAPartialArrivalLeavesNothing) {
  TextBlocks texts(kSmall);
  torv::attributes::EntryList entries;
  std::vector<std::pair<std::string, std::string>> expected;
  for (int i = 0; i < 20; ++i) {
    expected.emplace_back("name" + std::to_string(i), std::string(10, 'a'));
    entries.push_back(texts.place(expected.back().first, expected.back().second));
  }
  // Every value moves on to longer ones, over and over, across many blocks.
  for (int round = 1; round < 12; ++round) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      expected[i].second.assign(10 + round, static_cast<char>('a' + round));
      texts.setValue(entries[i], expected[i].second);
      texts.packIfWasteful(entries);
    }
  }
  expectTexts(texts, entries, expected);
  EXPECT_LT(entries.back().block, 6u) << "the replaced texts were never packed away";

  const TextEntry probe = texts.place("p", "");
  const Caught failure = caught([&] {
    texts.receive([](std::string& block) -> std::size_t {
      block += "half a name";
      throw CJIOException("cut off");
    });
  });
  EXPECT_EQ(failure.message, "cut off");
  const TextEntry next = texts.place("after", "the failure");
  // The half-arrived text was taken out again: the next texts start where it did.
  EXPECT_EQ(next.at, next.block == probe.block ? probe.at + probe.length() : 0u);
  entries.push_back(probe);
  expected.emplace_back("p", "");
  entries.push_back(next);
  expected.emplace_back("after", "the failure");
  expectTexts(texts, entries, expected);
}

}  // namespace
}  // namespace torv::testing
