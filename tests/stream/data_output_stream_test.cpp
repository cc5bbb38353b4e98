// SPDX-License-Identifier: Apache-2.0
#include "stream/data_output_stream.h"

#include <climits>
#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "stream/text_codec.h"
#include "stream_test_support.h"

namespace torv::stream::test {
namespace {

TEST(CJDataOutputStreamTest, FixedWidthValuesAndTheirCalls) {
  RecordingOutputStream inner;
  CJDataOutputStream out(&inner, 0);
  out.writeBoolean(5);
  out.writeBoolean(0);
  out.writeByte(0x1FF);
  EXPECT_EQ(inner.byteWrites, 3);
  out.writeShort(-2);
  out.writeInt(0x12345678);
  out.writeLong(4294967298LL);
  out.writeFloat(1.0f);
  out.writeDouble(1.0);
  EXPECT_EQ(inner.rawWrites, 5);
  out.writeChar(0x20AC);
  EXPECT_EQ(inner.byteWrites, 5);
  EXPECT_EQ(inner.data, bytes({0x01, 0x00, 0xFF, 0xFF, 0xFE, 0x12, 0x34, 0x56, 0x78, 0, 0, 0, 1, 0,    0,   0,
                               2,    0x3F, 0x80, 0,    0,    0x3F, 0xF0, 0,    0,    0, 0, 0, 0, 0x20, 0xAC}));
  EXPECT_EQ(out.size(), 31);
}

TEST(CJDataOutputStreamTest, UtfForm) {
  RecordingOutputStream inner;
  CJDataOutputStream out(&inner, 0);
  out.writeUTF("");
  EXPECT_EQ(inner.data, bytes({0, 0}));
  out.writeUTF("abc");
  EXPECT_EQ(out.size(), 7);
  EXPECT_EQ(inner.data.substr(2), bytes({0, 3, 'a', 'b', 'c'}));
  inner.data.clear();
  out.writeUTF(std::string("\xE9\x80\0", 3));
  EXPECT_EQ(inner.data, bytes({0, 7, 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xC0, 0x80}));
  // Every byte is its own single-byte call, with its value 0..255 as writeString passes them.
  EXPECT_EQ(inner.rawWrites, 0);
  EXPECT_EQ(inner.byteWrites, 2 + 5 + 9);
  EXPECT_EQ(std::vector<int>(inner.singleValues.end() - 9, inner.singleValues.end()),
            (std::vector<int>{0, 7, 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xC0, 0x80}));
}

TEST(CJDataOutputStreamTest, UtfLengthLimit) {
  RecordingOutputStream inner;
  CJDataOutputStream out(&inner, 0);
  out.writeUTF(std::string(21845, '\x80'));  // 3 bytes each: exactly 65535
  EXPECT_EQ(inner.data.size(), 65537u);
  EXPECT_EQ(inner.data.substr(0, 5), bytes({0xFF, 0xFF, 0xE2, 0x82, 0xAC}));
  inner.data.clear();
  EXPECT_EQ(thrownMessage<CJIOException>([&] { out.writeUTF(std::string(32768, '\xE9')); }),
            "UTFDataFormatException()");
  EXPECT_EQ(thrownMessage<CJIOException>([&] { out.writeUTF(std::string(65536, 'a')); }), "UTFDataFormatException()");
  EXPECT_TRUE(inner.data.empty());
  EXPECT_EQ(out.size(), 65537);
}

TEST(CJDataOutputStreamTest, StringForm) {
  RecordingOutputStream inner;
  CJDataOutputStream out(&inner, 0);
  out.writeString("abc");
  EXPECT_EQ(inner.data, bytes({0, 0, 0, 3, 0, 'a', 0, 'b', 0, 'c'}));
  EXPECT_EQ(out.size(), 10);
  EXPECT_EQ(inner.rawWrites, 1);
  EXPECT_EQ(inner.byteWrites, 6);
  inner.data.clear();
  out.writeString("");
  out.writeString("\x80\x81\xFF");
  EXPECT_EQ(inner.data, bytes({0, 0, 0, 0, 0, 0, 0, 3, 0x20, 0xAC, 0x00, 0x81, 0x00, 0xFF}));
}

TEST(CJDataOutputStreamTest, ConversionFailureMessages) {
  EXPECT_EQ(conversionFailureMessage("UTFDataFormatException", 87), "UTFDataFormatException. ERROR_INVALID_PARAMETER");
  EXPECT_EQ(conversionFailureMessage("UTFDataFormatException", 122),
            "UTFDataFormatException. ERROR_INSUFFICIENT_BUFFER");
  EXPECT_EQ(conversionFailureMessage("UTFDataFormatException", 1004), "UTFDataFormatException. ERROR_INVALID_FLAGS");
  EXPECT_EQ(conversionFailureMessage("UTFDataFormatException", 1113),
            "UTFDataFormatException. ERROR_NO_UNICODE_TRANSLATION");
  EXPECT_EQ(conversionFailureMessage("StringDataFormatException", 87),
            "StringDataFormatException. ERROR_INVALID_PARAMETER");
  EXPECT_EQ(conversionFailureMessage("StringDataFormatException", 1113),
            "StringDataFormatException. ERROR_NO_UNICODE_TRANSLATION");
}

TEST(CJDataOutputStreamTest, CounterSaturates) {
  class Sink : public RecordingOutputStream {
   public:
    using RecordingOutputStream::write;
    void write(const char*, int, int) override {}  // keep nothing: the counts are huge
  } inner;
  CJDataOutputStream out(&inner, 0);
  static char block[1];
  out.write(block, 0, INT_MAX - 2);
  out.writeInt(7);
  EXPECT_EQ(out.size(), INT_MAX);
  out.writeByte(1);
  EXPECT_EQ(out.size(), INT_MAX);
}

TEST(CJDataOutputStreamTest, StreamOperationsForward) {
  auto* bytesOut = new CJByteArrayOutputStream;
  CJDataOutputStream out(bytesOut, 1);  // the sanitizer build reports a leak if not destroyed
  CJArray<char> b(3);
  b.data[0] = 'x';
  b.data[1] = 'y';
  b.data[2] = 'z';
  out.write(b, 1, 2);
  out.write(b);
  out.write("raw", 0, 3);
  out.write('!');
  out.flush();
  EXPECT_EQ(out.size(), 9);
  std::unique_ptr<CJArray<char>> copy(out.toByteArray());
  EXPECT_EQ(std::string(copy->data, copy->length), "yzxyzraw!");
  EXPECT_EQ(out.getBaseStream(), bytesOut);
  out.close();
  CJDataOutputStream empty(nullptr, 0);
  EXPECT_EQ(empty.toByteArray(), nullptr);
}

TEST(CJDataOutputStreamTest, RoundTripThroughByteArrayStreams) {
  CJByteArrayOutputStream sink;
  CJDataOutputStream out(&sink, 0);
  out.writeInt(-5);
  out.writeString("caf\xE9 \x80");
  out.writeUTF("na\xEFve");
  out.writeLong(-1);
  out.writeShort(0x8001);
  out.writeDouble(-0.0);
  CJByteArrayInputStream source(sink.getTerminatedBuffer(), sink.size(), 0);
  CJDataInputStream in(&source, 0);
  EXPECT_EQ(in.readInt(), -5);
  EXPECT_EQ(in.readString(), "caf\xE9 \x80");
  EXPECT_EQ(in.readUTF(), "na\xEFve");
  EXPECT_EQ(in.readLong(), -1);
  EXPECT_EQ(in.readShort(), static_cast<short>(0x8001));
  EXPECT_TRUE(std::signbit(in.readDouble()));
  EXPECT_EQ(in.read(), -1);
}

}  // namespace
}  // namespace torv::stream::test
