// SPDX-License-Identifier: Apache-2.0
#include "stream/byte_array_input_stream.h"

#include <memory>

#include <gtest/gtest.h>

#include "stream_test_support.h"

namespace torv::stream::test {
namespace {

TEST(CJByteArrayInputStreamTest, SingleByteReadsAndAvailable) {
  char data[] = {'a', static_cast<char>(0xFF), 0};
  CJByteArrayInputStream in(data, 3, 0);
  EXPECT_EQ(in.available(), 3);
  EXPECT_EQ(in.read(), 'a');
  EXPECT_EQ(in.available(), 2);
  EXPECT_EQ(in.read(), 255);
  EXPECT_EQ(in.read(), 0);
  EXPECT_EQ(in.available(), 0);
  EXPECT_EQ(in.read(), -1);
}

TEST(CJByteArrayInputStreamTest, RawReadCutsToWhatIsLeft) {
  char data[] = {'x', 'y', 'z'};
  CJByteArrayInputStream in(data, 3, 0);
  char out[10] = {};
  EXPECT_EQ(in.read(out, 0, 0), 0);
  EXPECT_EQ(in.read(out, 2, 10 - 2), 3);
  EXPECT_EQ(std::string(out + 2, 3), "xyz");
  EXPECT_EQ(in.read(out, 0, 10), -1);
  EXPECT_EQ(in.read(out, 0, 0), -1);
}

TEST(CJByteArrayInputStreamTest, RawReadArgumentMessages) {
  char data[] = {'x'};
  CJByteArrayInputStream in(data, 1, 0);
  char out[4];
  EXPECT_EQ(thrownMessage<CJIOException>([&] { in.read(nullptr, 0, 1); }), "NullPointerException()");
  EXPECT_EQ(thrownMessage<CJIOException>([&] { in.read(out, -1, 1); }), "IndexOutOfBoundsException()");
  EXPECT_EQ(thrownMessage<CJIOException>([&] { in.read(out, 0, -1); }), "IndexOutOfBoundsException()");
}

TEST(CJByteArrayInputStreamTest, SkipIsCutAndNeverNegative) {
  char data[] = {'a', 'b', 'c', 'd'};
  CJByteArrayInputStream in(data, 4, 0);
  EXPECT_EQ(in.read(), 'a');
  EXPECT_EQ(in.skip(-4), 0);
  EXPECT_EQ(in.read(), 'b');
  EXPECT_EQ(in.skip(10), 2);
  EXPECT_EQ(in.skip(1), 0);
  EXPECT_EQ(in.read(), -1);
  CJByteArrayInputStream again(data, 4, 0);
  EXPECT_EQ(again.skip(9223372036854775807LL), 4);
}

TEST(CJByteArrayInputStreamTest, MarkAndReset) {
  char data[] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j'};
  CJByteArrayInputStream in(data, 10, 0);
  EXPECT_EQ(in.markSupported(), 1);
  EXPECT_EQ(in.read(), 'a');
  in.mark(0);
  EXPECT_EQ(in.read(), 'b');
  EXPECT_EQ(in.read(), 'c');
  in.reset();
  EXPECT_EQ(in.read(), 'b');

  CJByteArrayInputStream window(data, 4, 3, 10, 0);
  EXPECT_EQ(window.read(), 'e');
  window.reset();  // without a mark: back to the starting offset
  EXPECT_EQ(window.read(), 'e');
}

TEST(CJByteArrayInputStreamTest, WindowIsCutAtTheBufferLength) {
  char data[] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
  CJByteArrayInputStream in(data, 4, 20, 10, 0);
  EXPECT_EQ(in.available(), 6);
  EXPECT_EQ(in.read(), '4');
  EXPECT_EQ(in.getBufferRemaining(), 5);
  EXPECT_EQ(in.getCurrentPointer(), data + 5);
  EXPECT_EQ(in.skip(100), 5);
  EXPECT_EQ(in.read(), -1);
}

TEST(CJByteArrayInputStreamTest, BadWindowArgumentsStayInsideTheBuffer) {
  char data[] = {'0', '1', '2', '3'};
  CJByteArrayInputStream negative(data, -1, 3, 4, 0);
  EXPECT_EQ(negative.read(), '0');
  EXPECT_EQ(negative.available(), 1);
  CJByteArrayInputStream before(data, -3, 2, 4, 0);
  EXPECT_EQ(before.read(), -1);
  CJByteArrayInputStream past(data, 9, 2, 4, 0);
  EXPECT_EQ(past.available(), 0);
  EXPECT_EQ(past.read(), -1);
  CJByteArrayInputStream huge(data, 2, 2147483647, 4, 0);
  EXPECT_EQ(huge.available(), 2);
  CJByteArrayInputStream nothing(nullptr, 0, 50, 50, 0);
  EXPECT_EQ(nothing.read(), -1);
  EXPECT_EQ(nothing.getCurrentPointer(), nullptr);
}

TEST(CJByteArrayInputStreamTest, EmptyStreamsReportEnd) {
  CJByteArrayInputStream in;
  EXPECT_EQ(in.read(), -1);
  EXPECT_EQ(in.available(), 0);
  EXPECT_EQ(in.getCurrentPointer(), nullptr);
  std::unique_ptr<CJArray<char>> all(in.toByteArray());
  EXPECT_EQ(all->length, 0);
  CJByteArrayInputStream owning(1);
  EXPECT_EQ(owning.read(), -1);
}

TEST(CJByteArrayInputStreamTest, CopiesOfTheBytes) {
  char data[] = {'a', 'b', 'c', 'd'};
  CJByteArrayInputStream in(data, 4, 0);
  in.read();
  std::unique_ptr<CJArray<char>> all(in.toByteArray());
  std::unique_ptr<CJArray<char>> rest(in.toRemainingByteArray());
  EXPECT_EQ(std::string(all->data, all->length), "abcd");
  EXPECT_EQ(std::string(rest->data, rest->length), "bcd");
  EXPECT_NE(all->data, data);
}

TEST(CJByteArrayInputStreamTest, CloseDoesNotStopReadingAndOwnedBufferIsFreed) {
  char* owned = new char[2]{'o', 'k'};
  CJByteArrayInputStream in(owned, 2, 1);  // the sanitizer build reports a leak if not freed
  in.close();
  EXPECT_EQ(in.read(), 'o');
}

TEST(CJByteArrayInputStreamTest, ArrayReadThroughTheBase) {
  char data[] = {'a', 'b'};
  CJByteArrayInputStream in(data, 2, 0);
  CJArray<char> b(4);
  EXPECT_EQ(in.read(b, 1, 3), 2);
  EXPECT_EQ(std::string(b.data + 1, 2), "ab");
  EXPECT_EQ(in.read(b), -1);
}

}  // namespace
}  // namespace torv::stream::test
