// SPDX-License-Identifier: Apache-2.0
#include "stream/input_stream.h"

#include <gtest/gtest.h>

#include "stream_test_support.h"

namespace torv::stream::test {
namespace {

TEST(CJInputStreamTest, ArrayReadChecksBufferThenRange) {
  ScriptedInputStream in("abcdef");
  CJArray<char> none;
  EXPECT_EQ(thrownMessage<CJIOException>([&] { in.read(none, 0, 0); }), "NullPointerException");
  CJArray<char> b(4);
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { in.read(b, 5, 0); }),
            "Index out of bounds. [Offset : 5, Length : 0]");
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { in.read(b, -1, 1); }),
            "Index out of bounds. [Offset : -1, Length : 1]");
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { in.read(b, 0, -1); }),
            "Index out of bounds. [Offset : 0, Length : -1]");
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { in.read(b, 2, 3); }),
            "Index out of bounds. [Offset : 2, Length : 3]");
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { in.read(b, 2, 2147483647); }),
            "Index out of bounds. [Offset : 2, Length : 2147483647]");
  EXPECT_EQ(in.byteReads, 0);
  EXPECT_EQ(in.read(b, 2, 0), 0);
  EXPECT_EQ(in.read(b, 4, 0), 0);
  EXPECT_EQ(in.byteReads, 0);
}

TEST(CJInputStreamTest, ArrayReadStopsAtEndOfStream) {
  ScriptedInputStream empty("");
  CJArray<char> b(4);
  EXPECT_EQ(empty.read(b, 0, 4), -1);

  ScriptedInputStream two("xy");
  for (int i = 0; i < 4; ++i) b.data[i] = '.';
  EXPECT_EQ(two.read(b), 2);
  EXPECT_EQ(std::string(b.data, 4), "xy..");
  EXPECT_EQ(two.read(b, 1, 2), -1);
}

TEST(CJInputStreamTest, ArrayReadAbsorbsFailureAfterTheFirstByte) {
  ScriptedInputStream in("abcd");
  in.failAt = 2;
  CJArray<char> b(4);
  EXPECT_EQ(in.read(b, 0, 4), 2);
  EXPECT_EQ(std::string(b.data, 2), "ab");

  ScriptedInputStream first("abcd");
  first.failAt = 0;
  EXPECT_EQ(thrownMessage<CJIOException>([&] { first.read(b, 0, 4); }), "scripted failure");
}

TEST(CJInputStreamTest, ArrayReadPassesOtherFailuresOn) {
  class Failing : public ScriptedInputStream {
   public:
    Failing() : ScriptedInputStream("abcd") {}
    using ScriptedInputStream::read;
    int read() override {
      if (++calls == 2) throw CZException("host failure");
      return 'a';
    }
    int calls = 0;
  } in;
  CJArray<char> b(4);
  EXPECT_EQ(thrownMessage<CZException>([&] { in.read(b, 0, 4); }), "host failure");
}

TEST(CJInputStreamTest, SkipReadsInChunksOf2048) {
  EndlessInputStream in;
  EXPECT_EQ(in.skip(5000), 5000);
  EXPECT_EQ(in.arrayReads, (std::vector<int>{2048, 2048, 904}));
}

TEST(CJInputStreamTest, SkipOfNothingReadsNothing) {
  EndlessInputStream in;
  EXPECT_EQ(in.skip(0), 0);
  EXPECT_EQ(in.skip(-5), 0);
  EXPECT_TRUE(in.arrayReads.empty());
}

TEST(CJInputStreamTest, SkipStopsAtEndOfStream) {
  ScriptedInputStream in(std::string(100, 'z'));
  EXPECT_EQ(in.skip(5000), 100);
  EXPECT_EQ(in.read(), -1);
}

TEST(CJInputStreamTest, SkipBeyond32BitsSkipsAtMostTheLargestCount) {
  ScriptedInputStream in(std::string(10, 'z'));
  // 2^32 would be 0 as a 32-bit count; it must not claim bytes it never skipped.
  EXPECT_EQ(in.skip(4294967296LL), 10);
}

TEST(CJInputStreamTest, MarkAndResetAreNotSupported) {
  ScriptedInputStream in("ab");
  EXPECT_EQ(in.markSupported(), 0);
  in.mark(10);
  EXPECT_EQ(in.read(), 'a');
  EXPECT_EQ(thrownMessage<CJIOException>([&] { in.reset(); }), "mark/reset not supported");
  EXPECT_EQ(in.read(), 'b');
}

TEST(CJInputStreamTest, MemoryOperationsDefaultToNothing) {
  ScriptedInputStream in("ab");
  EXPECT_EQ(in.toRemainingByteArray(), nullptr);
  EXPECT_EQ(in.getBufferRemaining(), 0);
  EXPECT_EQ(in.getCurrentPointer(), nullptr);
}

}  // namespace
}  // namespace torv::stream::test
