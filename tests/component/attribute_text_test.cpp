// SPDX-License-Identifier: Apache-2.0
#include "component/attribute_text.h"

#include <climits>

#include <gtest/gtest.h>

namespace torv::component {
namespace {

TEST(AttributeText, FormatsLikePercentD) {
  EXPECT_EQ(formatAttributeValue(0), u"0");
  EXPECT_EQ(formatAttributeValue(8), u"8");
  EXPECT_EQ(formatAttributeValue(-12), u"-12");
  EXPECT_EQ(formatAttributeValue(300), u"300");
  EXPECT_EQ(formatAttributeValue(INT_MAX), u"2147483647");
  EXPECT_EQ(formatAttributeValue(INT_MIN), u"-2147483648");
}

TEST(AttributeText, ParsesLikeTheWideTextToIntegerConversion) {
  EXPECT_EQ(parseAttributeValue(u" -12ab"), -12);
  EXPECT_EQ(parseAttributeValue(u"\t\r\n\v\f+7"), 7);
  EXPECT_EQ(parseAttributeValue(u"007"), 7);
  EXPECT_EQ(parseAttributeValue(u"25 26"), 25);
  EXPECT_EQ(parseAttributeValue(u"-0"), 0);
}

TEST(AttributeText, TextWithoutLeadingDigitsGivesZero) {
  for (const char16_t* text : {u"", u"abc", u"-", u"+", u" ", u"- 5", u"+-5", u"x12", u"\u00A012"}) {
    EXPECT_EQ(parseAttributeValue(text), 0) << std::u16string(text).size();
  }
  EXPECT_EQ(parseAttributeValue(nullptr), 0);
}

TEST(AttributeText, ClampsToThe32BitRange) {
  EXPECT_EQ(parseAttributeValue(u"2147483647"), INT_MAX);
  EXPECT_EQ(parseAttributeValue(u"-2147483648"), INT_MIN);
  EXPECT_EQ(parseAttributeValue(u"2147483648"), INT_MAX);
  EXPECT_EQ(parseAttributeValue(u"-2147483649"), INT_MIN);
  EXPECT_EQ(parseAttributeValue(u"99999999999999999999999999999"), INT_MAX);
  EXPECT_EQ(parseAttributeValue(u"-99999999999999999999999999999"), INT_MIN);
}

TEST(AttributeText, EveryFormattedValueParsesBack) {
  for (long long v = INT_MIN; v <= INT_MAX; v += 9876541) {
    const auto value = static_cast<std::int32_t>(v);
    EXPECT_EQ(parseAttributeValue(formatAttributeValue(value).c_str()), value);
  }
}

}  // namespace
}  // namespace torv::component
