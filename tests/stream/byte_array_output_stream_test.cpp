// SPDX-License-Identifier: Apache-2.0
#include "stream/byte_array_output_stream.h"

#include <memory>

#include <gtest/gtest.h>

#include "stream_test_support.h"

namespace torv::stream::test {
namespace {

TEST(CJByteArrayOutputStreamTest, GrowsByDoublingAndTerminates) {
  CJByteArrayOutputStream out;
  EXPECT_EQ(out.capacity(), 4096);
  for (int i = 0; i < 4097; ++i) out.write(i);
  EXPECT_EQ(out.capacity(), 8192);
  EXPECT_EQ(out.size(), 4097);
  char* buffer = out.getTerminatedBuffer();
  EXPECT_EQ(buffer[4097], '\0');
  EXPECT_EQ(buffer[4096], static_cast<char>(4096 & 0xFF));
  EXPECT_EQ(out.size(), 4097);
}

TEST(CJByteArrayOutputStreamTest, FullBufferIsTerminatedInsideIt) {
  CJByteArrayOutputStream out;
  std::string block(4096, 'q');
  out.write(block.data(), static_cast<int>(block.size()));
  EXPECT_EQ(out.capacity(), 4096);
  char* buffer = out.getTerminatedBuffer();  // the sanitizer build catches a write past the end
  EXPECT_EQ(buffer[4096], '\0');
  EXPECT_EQ(out.size(), 4096);
  EXPECT_EQ(out.capacity(), 4096);
}

TEST(CJByteArrayOutputStreamTest, WriteFromItsOwnBufferSurvivesTheGrowth) {
  // The source lies inside the buffer that the growth replaces.
  for (const int held : {4, 4096}) {
    CJByteArrayOutputStream out(held, 1);
    for (int i = 0; i < held; ++i) out.write('a' + i % 26);
    out.write(out.getTerminatedBuffer(), 1, held - 1);
    ASSERT_EQ(out.size(), 2 * held - 1);
    const std::string all = out.toString();
    EXPECT_EQ(all.substr(static_cast<std::size_t>(held)), all.substr(1, static_cast<std::size_t>(held) - 1));
  }
}

TEST(CJByteArrayOutputStreamTest, LargeWriteJumpsToTheNeededSize) {
  CJByteArrayOutputStream out(16, 1);
  out.write('a');
  std::string block(100, 'b');
  out.write(block.data(), 0, 100);
  EXPECT_EQ(out.capacity(), 101);
  EXPECT_EQ(out.toString(), "a" + block);
  CJByteArrayOutputStream empty(0, 1);
  empty.write('z');
  EXPECT_EQ(empty.toString(), "z");
}

TEST(CJByteArrayOutputStreamTest, ZeroWritesResetAndClose) {
  CJByteArrayOutputStream out;
  out.write("abc", 0, 0);
  out.write(nullptr, 0, 0);
  EXPECT_EQ(out.size(), 0);
  for (int i = 0; i < 5000; ++i) out.write('x');
  out.reset();
  out.close();
  out.write('y');
  EXPECT_EQ(out.size(), 1);
  EXPECT_EQ(out.capacity(), 8192);
  EXPECT_EQ(out.toString(), "y");
}

TEST(CJByteArrayOutputStreamTest, RawWriteArgumentsAreChecked) {
  CJByteArrayOutputStream out;
  EXPECT_EQ(thrownMessage<CJIOException>([&] { out.write("abc", -1, 2); }), "IndexOutOfBoundsException()");
  EXPECT_EQ(thrownMessage<CJIOException>([&] { out.write("abc", 0, -2); }), "IndexOutOfBoundsException()");
  EXPECT_EQ(thrownMessage<CJIOException>([&] { out.write(nullptr, 0, 2); }), "NullPointerException()");
  EXPECT_EQ(thrownMessage<CRuntimeException>([] { CJByteArrayOutputStream bad(-1, 1); }),
            "IllegalArgumentException. Negative initial size: -1");
  EXPECT_EQ(out.size(), 0);
}

TEST(CJByteArrayOutputStreamTest, ToByteArrayAndToStringCopy) {
  CJByteArrayOutputStream out;
  std::unique_ptr<CJArray<char>> none(out.toByteArray());
  EXPECT_EQ(none->length, 0);
  EXPECT_NE(none->data, nullptr);
  out.write(std::string("a\0b", 3).data(), 3);
  std::unique_ptr<CJArray<char>> all(out.toByteArray());
  EXPECT_EQ(std::string(all->data, all->length), std::string("a\0b", 3));
  EXPECT_EQ(out.toString(), std::string("a\0b", 3));
  out.flush();
}

TEST(CJByteArrayOutputStreamTest, SetSizeStaysWithinTheWrittenBytes) {
  CJByteArrayOutputStream out(4, 1);
  out.write("abcdef", 6);
  out.setSize(2);
  EXPECT_EQ(out.toString(), "ab");
  out.setSize(6);
  EXPECT_EQ(out.toString(), "abcdef");
  out.setSize(100000);  // beyond the buffer: kept to the bytes present
  EXPECT_EQ(out.size(), 6);
  out.setSize(-3);
  EXPECT_EQ(out.size(), 0);
  EXPECT_EQ(out.getTerminatedBuffer()[0], '\0');
}

TEST(CJByteArrayOutputStreamTest, HandedOverBufferOutlivesTheStream) {
  char* handed = nullptr;
  int size = 0;
  {
    CJByteArrayOutputStream out(0);
    for (int i = 0; i < 10000; ++i) out.write('a' + i % 26);  // grows twice; old buffers freed
    handed = out.getTerminatedBuffer();
    size = out.size();
  }
  ASSERT_EQ(size, 10000);
  EXPECT_EQ(handed[0], 'a');
  EXPECT_EQ(handed[9999], static_cast<char>('a' + 9999 % 26));
  EXPECT_EQ(handed[10000], '\0');
  delete[] handed;
}

}  // namespace
}  // namespace torv::stream::test
