// SPDX-License-Identifier: Apache-2.0
#include "platform/code_page.h"

#include <string>

#include <gtest/gtest.h>

namespace torv::platform {
namespace {

TEST(CodePage, EveryByteRoundTripsThroughUtf16) {
  for (int b = 1; b < 256; ++b) {
    char in = static_cast<char>(b);
    char16_t unit = 0;
    ASSERT_EQ(ansiToUtf16(&in, 1, &unit, 1), 1);
    char out = 0;
    ASSERT_EQ(utf16ToAnsi(&unit, 1, &out, 1), 1);
    EXPECT_EQ(out, in) << b;
  }
}

TEST(CodePage, HighBytesFollowWindows1252) {
  EXPECT_EQ(ansiByteToUtf16(0x80), u'\u20AC');
  EXPECT_EQ(ansiByteToUtf16(0x9F), u'\u0178');
  for (unsigned char undefinedByte : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    EXPECT_EQ(ansiByteToUtf16(undefinedByte), char16_t{undefinedByte});
  }
  EXPECT_EQ(utf16UnitToAnsi(u'\u00E9'), '\xE9');
  EXPECT_EQ(utf16UnitToAnsi(u'\u20AC'), '\x80');
}

TEST(CodePage, UnrepresentableBecomesQuestionMark) {
  const char16_t text[] = u"a\u0416\xD800z";
  char out[16] = {};
  int n = utf16ToAnsi(text, -1, out, sizeof out);
  ASSERT_EQ(n, 5);  // a ? ? z NUL
  EXPECT_STREQ(out, "a??z");
}

// A character outside the 16-bit range is one character here. (Wine converts unit by unit and
// gives one '?' per half, which is why the Windows suite leaves this test out.)
TEST(CodePage, SurrogatePairCountsOnce) {
  char out[8] = {};
  ASSERT_EQ(utf16ToAnsi(u"a\U0001F600z", -1, out, sizeof out), 4);
  EXPECT_STREQ(out, "a?z");
}

TEST(CodePage, MeasuringAndFailures) {
  EXPECT_EQ(ansiToUtf16("abc", -1, nullptr, 0), 4);
  EXPECT_EQ(utf16ToAnsi(u"abc", 3, nullptr, 0), 3);
  char16_t small[2];
  EXPECT_EQ(ansiToUtf16("abc", 3, small, 2), 0);
  EXPECT_EQ(lastError(), kErrorInsufficientBuffer);
  EXPECT_EQ(ansiToUtf16(nullptr, 3, small, 2), 0);
  EXPECT_EQ(lastError(), kErrorInvalidParameter);
  EXPECT_EQ(utf16ToAnsi(u"abc", 0, nullptr, 0), 0);
  EXPECT_EQ(lastError(), kErrorInvalidParameter);
}

}  // namespace
}  // namespace torv::platform
