// SPDX-License-Identifier: Apache-2.0
#include "stream/output_stream.h"

#include <gtest/gtest.h>

#include "stream_test_support.h"

namespace torv::stream::test {
namespace {

TEST(CJOutputStreamTest, ArrayWriteGoesByteByByteSignExtended) {
  RecordingOutputStream out;
  CJArray<char> b(3);
  b.data[0] = 'a';
  b.data[1] = static_cast<char>(0xFF);
  b.data[2] = 'c';
  out.write(b);
  EXPECT_EQ(out.singleValues, (std::vector<int>{'a', -1, 'c'}));
  out.write(b, 1, 1);
  EXPECT_EQ(out.byteWrites, 4);
  EXPECT_EQ(out.rawWrites, 0);
}

TEST(CJOutputStreamTest, ArrayWriteReportsRangeWithIOException) {
  RecordingOutputStream out;
  CJArray<char> none;
  EXPECT_EQ(thrownMessage<CJIOException>([&] { out.write(none); }), "NullPointerException");
  CJArray<char> b(4);
  EXPECT_EQ(thrownMessage<CJIOException>([&] { out.write(b, 5, 0); }), "Index out of bounds. [Offset : 5, Length : 0]");
  EXPECT_EQ(thrownMessage<CJIOException>([&] { out.write(b, 3, 2); }), "Index out of bounds. [Offset : 3, Length : 2]");
  EXPECT_EQ(thrownMessage<CJIOException>([&] { out.write(b, 0, -2); }),
            "Index out of bounds. [Offset : 0, Length : -2]");
  EXPECT_EQ(thrownMessage<CJIOException>([&] { out.write(b, 1, 2147483647); }),
            "Index out of bounds. [Offset : 1, Length : 2147483647]");
  out.write(b, 0, 0);
  EXPECT_EQ(out.byteWrites, 0);
}

}  // namespace
}  // namespace torv::stream::test
