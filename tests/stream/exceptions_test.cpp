// SPDX-License-Identifier: Apache-2.0
#include "stream/exceptions.h"

#include <cstring>

#include <gtest/gtest.h>

namespace torv::stream::test {
namespace {

TEST(ExceptionTest, ConstructorsSetMessageAndCode) {
  CZException plain;
  EXPECT_EQ(plain.getMessage(), "");
  EXPECT_EQ(plain.getErrorCode(), 0);
  EXPECT_EQ(CZException("text").getMessage(), "text");
  EXPECT_EQ(CZException(42).getMessage(), "");
  EXPECT_EQ(CZException(42).getErrorCode(), 42);
  CZException both("text", 7);
  EXPECT_EQ(both.getMessage(), "text");
  EXPECT_EQ(both.getErrorCode(), 7);
  CZException copy(both);
  EXPECT_EQ(copy.getMessage(), "text");
  EXPECT_EQ(copy.getErrorCode(), 7);
  EXPECT_EQ(CZException(0, "quiet", 3).getErrorCode(), 3);
  EXPECT_EQ(CZException(1, 9).getErrorCode(), 9);
}

TEST(ExceptionTest, DerivedClassesCarryTheirMessage) {
  const CZException io = CJIOException("io");
  const CZException rt = CRuntimeException("rt");
  EXPECT_EQ(io.getMessage(), "io");
  EXPECT_EQ(rt.getMessage(), "rt");
  EXPECT_EQ(io.getErrorCode(), 0);
  EXPECT_EQ(io.kind(), CZException::Kind::IO);
  EXPECT_EQ(rt.kind(), CZException::Kind::Runtime);
}

TEST(ExceptionTest, CopiesAreIndependentValues) {
  CZException kept(0, std::string("kept"));
  { CZException copy = kept; }
  EXPECT_EQ(kept.getMessage(), "kept");
}

TEST(ExceptionTest, CopyErrorTextCutsToTheBuffer) {
  CZException e("abcdef");
  char buffer[4] = {'x', 'x', 'x', 'x'};
  unsigned help = 77;
  EXPECT_TRUE(e.copyErrorText(buffer, sizeof buffer, &help));
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(help, 77u);
  char wide[16];
  EXPECT_TRUE(e.copyErrorText(wide, sizeof wide));
  EXPECT_STREQ(wide, "abcdef");
  EXPECT_TRUE(e.copyErrorText(buffer, 0));
  EXPECT_EQ(e.report(), 0);
}

TEST(ExceptionTest, ThrownValuesAreCaughtAsTheirBase) {
  try {
    throw CJIOException("deep");
  } catch (const CZException& e) {
    EXPECT_EQ(e.getMessage(), "deep");
    EXPECT_EQ(e.kind(), CZException::Kind::IO);
  }
}

TEST(ExceptionTest, AHostTextKeepsTheHostsPointer) {
  static const char kText[] = "host says no";
  const CZException failure = CZException::hostText(kText);
  EXPECT_EQ(failure.kind(), CZException::Kind::HostText);
  EXPECT_EQ(failure.hostTextPointer(), kText);
  EXPECT_EQ(failure.getMessage(), kText);
  EXPECT_STREQ(CZException::hostText(nullptr).hostTextPointer(), "");
}

}  // namespace
}  // namespace torv::stream::test
