// SPDX-License-Identifier: Apache-2.0
#include "stream/modified_utf8.h"

#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "stream_test_support.h"

namespace torv::stream::test {
namespace {

const char kMalformedUtf[] = "UTFDataFormatException. A malformed UTF-8 string has been read in a data input stream.";

TEST(DecodeUtfTest, DecodesToWindows1252) {
  EXPECT_EQ(decodeUTF("H\xC3\xA9llo"), "H\xE9llo");
  EXPECT_EQ(decodeUTF("\xE2\x82\xAC and \xE4\xB8\xAD"), "\x80 and ?");
  EXPECT_EQ(decodeUTF(""), "");
  EXPECT_EQ(decodeUTF("a\xC0\x80"
                      "b"),
            "a");
}

TEST(DecodeUtfTest, MalformedTextThrowsTheRootException) {
  for (const char* text : {"\x80", "a\xC3", "\xC3\x41", "\xE2\x82", "\xF0\x9F\x98\x80", "\xFF"}) {
    EXPECT_EQ(thrownMessage<CZException>([&] { decodeUTF(text); }), kMalformedUtf) << text;
  }
}

TEST(EncodeUtfTest, EncodesWithoutLengthPrefix) {
  std::unique_ptr<char[]> plain(encodeUTF("abc"));
  EXPECT_STREQ(plain.get(), "abc");
  std::unique_ptr<char[]> mixed(encodeUTF(std::string("\xE9\x80\0", 3)));
  EXPECT_EQ(std::string(mixed.get(), 8), bytes({0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xC0, 0x80, 0}));
  std::unique_ptr<char[]> empty(encodeUTF(""));
  EXPECT_EQ(empty[0], '\0');
  EXPECT_EQ(decodeUTF(mixed.get()), "\xE9\x80");
}

TEST(EncodeUtfTest, LengthLimit) {
  std::unique_ptr<char[]> limit(encodeUTF(std::string(21845, '\x80')));
  EXPECT_EQ(std::strlen(limit.get()), 65535u);
  EXPECT_EQ(thrownMessage<CZException>([] { delete[] encodeUTF(std::string(21846, '\x80')); }),
            "UTFDataFormatException()");
}

}  // namespace
}  // namespace torv::stream::test
