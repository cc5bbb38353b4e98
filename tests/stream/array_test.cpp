// SPDX-License-Identifier: Apache-2.0
#include "stream/array.h"

#include <gtest/gtest.h>

#include "stream_test_support.h"

namespace torv::stream::test {
namespace {

TEST(CJArrayTest, StartsUncreatedAndCreatesOnce) {
  CJArray<char> a;
  EXPECT_EQ(a.length, -1);
  EXPECT_EQ(a.data, nullptr);
  EXPECT_EQ(a.owns, 1);
  a.create(3);
  EXPECT_EQ(a.length, 3);
  EXPECT_NE(a.data, nullptr);
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { a.create(5); }), "Can't create an array. Array is already created.");
  EXPECT_EQ(a.length, 3);
}

TEST(CJArrayTest, NegativeLengthIsRefused) {
  CJArray<char> a;
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { a.create(-1); }),
            "Can't create an array. The length of an array should have be 0 or more.");
  EXPECT_EQ(a.length, -1);
  EXPECT_EQ(thrownMessage<CRuntimeException>([] { CJArray<char> b(-7); }),
            "Can't create an array. The length of an array should have be 0 or more.");
}

TEST(CJArrayTest, ZeroLengthArrayHasABufferButNoElements) {
  CJArray<char> a(0);
  EXPECT_EQ(a.length, 0);
  EXPECT_NE(a.data, nullptr);
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { a.at(0); }),
            "Can't access an array. The index of an array is invlid. [0/0]");
}

TEST(CJArrayTest, ElementAccessChecksTheIndexFirst) {
  CJArray<char> a(4);
  a.at(0) = 'x';
  a.at(3) = 'y';
  EXPECT_EQ(a.data[0], 'x');
  EXPECT_EQ(a.data[3], 'y');
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { a.at(4); }),
            "Can't access an array. The index of an array is invlid. [4/4]");
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { a.at(-1); }),
            "Can't access an array. The index of an array is invlid. [-1/4]");
  CJArray<char> never;
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { never.at(-1); }),
            "Can't access an array. The index of an array is invlid. [-1/-1]");
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { never.at(0); }),
            "Can't access an array. The index of an array is invlid. [0/-1]");
}

TEST(CJArrayTest, LengthWithoutBufferReportsNotCreated) {
  // Only reachable when a caller sets the fields by hand.
  CJArray<char> a;
  a.length = 2;
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { a.at(1); }), "Can't acess an array. Array is not created.");
  a.length = -1;
}

TEST(CJArrayTest, BufferNotOwnedIsLeftAlone) {
  char* buffer = new char[8];
  {
    CJArray<char> a;
    a.data = buffer;
    a.length = 8;
    a.owns = 0;
  }
  buffer[7] = 1;  // still ours: the sanitizer build would report a use after free
  delete[] buffer;
}

}  // namespace
}  // namespace torv::stream::test
