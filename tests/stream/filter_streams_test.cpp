// SPDX-License-Identifier: Apache-2.0
#include <gtest/gtest.h>

#include "stream_test_support.h"

namespace torv::stream::test {
namespace {

// The filters stay abstract; these complete them as thinly as possible.
class PlainFilterInput : public CJFilterInputStream {
 public:
  using CJFilterInputStream::CJFilterInputStream;
  using CJFilterInputStream::read;
  int read(char*, int, int) override { return -1; }
  CJArray<char>* toByteArray() override { return nullptr; }
};

class PlainFilterOutput : public CJFilterOutputStream {
 public:
  using CJFilterOutputStream::CJFilterOutputStream;
  CJArray<char>* toByteArray() override { return nullptr; }
};

TEST(CJFilterInputStreamTest, ForwardsToTheInnerStream) {
  ScriptedInputStream inner("abcdef");
  PlainFilterInput filter(&inner, 0);
  EXPECT_EQ(filter.read(), 'a');
  CJArray<char> b(3);
  EXPECT_EQ(filter.read(b), 3);
  EXPECT_EQ(std::string(b.data, 3), "bcd");
  EXPECT_EQ(filter.available(), 2);
  EXPECT_EQ(filter.skip(1), 1);
  EXPECT_EQ(filter.markSupported(), 0);
  EXPECT_EQ(thrownMessage<CJIOException>([&] { filter.reset(); }), "mark/reset not supported");
  filter.close();
  EXPECT_EQ(inner.closes, 1);
  EXPECT_EQ(filter.getInputStream(), &inner);
}

TEST(CJFilterInputStreamTest, OwnedInnerStreamIsDestroyedNotClosed) {
  bool destroyed = false;
  auto* inner = new ScriptedInputStream("x");
  inner->destroyed = &destroyed;
  { PlainFilterInput filter(inner, 1); }
  EXPECT_TRUE(destroyed);

  destroyed = false;
  ScriptedInputStream kept("x");
  kept.destroyed = &destroyed;
  { PlainFilterInput filter(&kept, 0); }
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(kept.closes, 0);
  kept.destroyed = nullptr;
}

TEST(CJFilterInputStreamTest, BaseStreamIsTheInnermost) {
  CJByteArrayInputStream bytes;
  CJDataInputStream lower(&bytes, 0);
  CJDataInputStream upper(&lower, 0);
  EXPECT_EQ(upper.getBaseStream(), &bytes);
  EXPECT_EQ(upper.getInputStream(), &lower);
  PlainFilterInput empty(nullptr, 1);
  EXPECT_EQ(empty.getBaseStream(), nullptr);
  EXPECT_EQ(thrownMessage<CJIOException>([&] { empty.read(); }), "NullPointerException");
}

TEST(CJFilterOutputStreamTest, ArrayWriteGoesThroughSingleByteWrites) {
  RecordingOutputStream inner;
  PlainFilterOutput filter(&inner, 0);
  CJArray<char> b(2);
  b.data[0] = static_cast<char>(0x80);
  b.data[1] = 'q';
  filter.write(b);
  filter.write("ignored", 0, 7);  // the raw form does nothing at this level
  EXPECT_EQ(inner.singleValues, (std::vector<int>{-128, 'q'}));
  EXPECT_EQ(inner.rawWrites, 0);
  // No range test of its own, but element access still refuses to run off the array.
  EXPECT_EQ(thrownMessage<CRuntimeException>([&] { filter.write(b, 1, 2); }),
            "Can't access an array. The index of an array is invlid. [2/2]");
}

TEST(CJFilterOutputStreamTest, FlushAndCloseForward) {
  RecordingOutputStream inner;
  PlainFilterOutput filter(&inner, 0);
  filter.flush();
  filter.close();
  EXPECT_EQ(inner.flushes, 1);
  EXPECT_EQ(inner.closes, 1);
  inner.failFlush = true;
  EXPECT_EQ(thrownMessage<CJIOException>([&] { filter.flush(); }), "flush failed");
  EXPECT_EQ(filter.getOutputStream(), &inner);
}

TEST(CJFilterOutputStreamTest, OwnershipAndBaseStream) {
  bool destroyed = false;
  auto* inner = new RecordingOutputStream;
  inner->destroyed = &destroyed;
  {
    PlainFilterOutput lower(inner, 1);
    PlainFilterOutput upper(&lower, 0);
    EXPECT_EQ(upper.getBaseStream(), inner);
  }
  EXPECT_TRUE(destroyed);
  PlainFilterOutput empty(nullptr, 0);
  EXPECT_EQ(empty.getBaseStream(), nullptr);
  EXPECT_EQ(thrownMessage<CJIOException>([&] { empty.write(1); }), "NullPointerException");
}

}  // namespace
}  // namespace torv::stream::test
