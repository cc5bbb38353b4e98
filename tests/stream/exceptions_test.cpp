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
  EXPECT_FALSE(CZException(0, std::string("quiet")).isAutoDelete());
  EXPECT_TRUE(CZException("loud").isAutoDelete());
}

TEST(ExceptionTest, DerivedClassesCarryTheirMessage) {
  CZException* io = new CJIOException("io");
  CZException* rt = new CRuntimeException("rt");
  EXPECT_EQ(io->getMessage(), "io");
  EXPECT_EQ(rt->getMessage(), "rt");
  EXPECT_EQ(io->getErrorCode(), 0);
  io->Delete();
  rt->Delete();
}

TEST(ExceptionTest, DeleteLeavesObjectsWithoutAutoDelete) {
  CZException onStack(0, std::string("kept"));
  onStack.Delete();  // must not free a stack object
  EXPECT_EQ(onStack.getMessage(), "kept");
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

TEST(ExceptionTest, ThrownPointersAreCaughtAsTheirBase) {
  try {
    throw new CJIOException("deep");
  } catch (CZException* e) {
    CaughtException<CZException> owned(e);
    EXPECT_EQ(e->getMessage(), "deep");
    EXPECT_NE(dynamic_cast<CJIOException*>(e), nullptr);
  }
}

}  // namespace
}  // namespace torv::stream::test
