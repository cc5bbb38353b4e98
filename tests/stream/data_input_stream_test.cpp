// SPDX-License-Identifier: Apache-2.0
#include "stream/data_input_stream.h"

#include <memory>

#include <gtest/gtest.h>

#include "stream_test_support.h"

namespace torv::stream::test {
namespace {

const char kEof[] = "EOFException. End of stream has been reached unexpectedly during input.";
const char kMalformedUtf[] = "UTFDataFormatException. A malformed UTF-8 string has been read in a data input stream.";

// A data stream over a copy of the given bytes.
class DataOver {
 public:
  explicit DataOver(const std::string& bytes)
      : copy_(bytes), bytes_(&copy_[0], static_cast<int>(copy_.size()), 0), data_(&bytes_, 0) {}
  CJDataInputStream& operator*() { return data_; }
  CJDataInputStream* operator->() { return &data_; }

 private:
  std::string copy_;
  CJByteArrayInputStream bytes_;
  CJDataInputStream data_;
};

TEST(CJDataInputStreamTest, FixedWidthValues) {
  DataOver in(
      bytes({0x02, 0x00, 0xFF, 0xFE, 0x80, 0x00, 0xFF, 0xFF, 0x12, 0x34, 0x56, 0x78, 0x00, 0x00, 0x00, 0x01, 0x00,
             0x00, 0x00, 0x02, 0x3F, 0x80, 0x00, 0x00, 0x3F, 0xF0, 0,    0,    0,    0,    0,    0,    0xC3}));
  EXPECT_EQ(in->readBoolean(), 1);
  EXPECT_EQ(in->readBoolean(), 0);
  EXPECT_EQ(in->readShort(), -2);
  EXPECT_EQ(in->readChar(), u'\x8000');
  EXPECT_EQ(in->readUnsignedShort(), 65535);
  EXPECT_EQ(in->readInt(), 0x12345678);
  EXPECT_EQ(in->readLong(), 4294967298LL);
  EXPECT_EQ(in->readFloat(), 1.0f);
  EXPECT_EQ(in->readDouble(), 1.0);
  EXPECT_EQ(in->readByte(), static_cast<char>(0xC3));
  EXPECT_EQ(thrownMessage<CJIOException>([&] { in->readByte(); }), kEof);
}

TEST(CJDataInputStreamTest, LowHalfOfLongIsUnsigned) {
  DataOver in(bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(in->readLong(), -4294967297LL);
}

TEST(CJDataInputStreamTest, EndOfStreamInEachReader) {
  EXPECT_EQ(thrownMessage<CJIOException>([] { DataOver(bytes({0x01}))->readShort(); }), kEof);
  EXPECT_EQ(thrownMessage<CJIOException>([] { DataOver("")->readShort(); }), kEof);
  EXPECT_EQ(thrownMessage<CJIOException>([] { DataOver(bytes({0x01}))->readChar(); }), kEof);
  EXPECT_EQ(thrownMessage<CJIOException>([] { DataOver("")->readBoolean(); }), kEof);
  EXPECT_EQ(thrownMessage<CJIOException>([] { DataOver(bytes({1, 2, 3}))->readInt(); }), kEof);
  EXPECT_EQ(thrownMessage<CJIOException>([] { DataOver("")->readInt(); }), kEof);
  EXPECT_EQ(thrownMessage<CJIOException>([] { DataOver(bytes({0, 0, 0, 1, 0, 0}))->readLong(); }), kEof);
  EXPECT_EQ(thrownMessage<CJIOException>([] { DataOver(bytes({0, 0, 0}))->readFloat(); }), kEof);
  EXPECT_EQ(thrownMessage<CJIOException>([] { DataOver(bytes({0}))->readUTF(); }), kEof);
  EXPECT_EQ(thrownMessage<CJIOException>([] { DataOver(bytes({0, 3, 'a', 'b'}))->readUTF(); }), kEof);
  EXPECT_EQ(thrownMessage<CJIOException>([] { DataOver(bytes({0, 0, 0, 2, 0, 'a', 0}))->readString(); }), kEof);
}

TEST(CJDataInputStreamTest, ReadIntCollectsShortDeliveries) {
  ScriptedInputStream inner(bytes({0x01, 0x02, 0x03, 0x04, 0xA0, 0xB0, 0xC0, 0xD0}));
  inner.rawChunk = 1;
  CJDataInputStream in(&inner, 0);
  EXPECT_EQ(in.readInt(), 0x01020304);
  inner.rawChunk = 3;
  inner.stallEveryOther = true;  // some raw reads deliver nothing at all
  EXPECT_EQ(in.readInt(), static_cast<int>(0xA0B0C0D0u));
  EXPECT_EQ(thrownMessage<CJIOException>([&] { in.readInt(); }), kEof);
}

TEST(CJDataInputStreamTest, ReadUtfCollectsShortDeliveries) {
  ScriptedInputStream inner(bytes({0x00, 0x05, 'h', 0xC3, 0xA9, 'l', 'o'}));
  inner.rawChunk = 2;
  CJDataInputStream in(&inner, 0);
  EXPECT_EQ(in.readUTF(), "h\xE9lo");
}

TEST(CJDataInputStreamTest, ReadUtfForms) {
  EXPECT_EQ(DataOver(bytes({0, 0}))->readUTF(), "");
  EXPECT_EQ(DataOver(bytes({0, 3, 'a', 'b', 'c'}))->readUTF(), "abc");
  EXPECT_EQ(DataOver(bytes({0xFF, 0xFF, 0, 0, 0, 2, 'A', 'B'}))->readUTF(), "AB");
  EXPECT_EQ(DataOver(bytes({0, 5, 0xC3, 0xA9, 0xE2, 0x82, 0xAC}))->readUTF(), "\xE9\x80");
  // A zero unit ends the text.
  EXPECT_EQ(DataOver(bytes({0, 4, 'a', 0xC0, 0x80, 'b'}))->readUTF(), "a");
  // What Windows-1252 cannot hold becomes '?'.
  EXPECT_EQ(DataOver(bytes({0, 3, 0xE4, 0xB8, 0xAD}))->readUTF(), "?");
  EXPECT_EQ(DataOver(bytes({0, 3, 0xED, 0xA0, 0x80}))->readUTF(), "?");
}

// A surrogate pair is one character here; left out on Windows, whose conversion gives one '?'
// per half.
TEST(CJDataInputStreamTest, ReadUtfSurrogatePairIsOneCharacter) {
  EXPECT_EQ(DataOver(bytes({0, 9, 0xE4, 0xB8, 0xAD, 0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}))->readUTF(), "??");
}

TEST(CJDataInputStreamTest, ReadUtfFromAnotherStream) {
  DataOver self("");
  DataOver other(bytes({0, 2, 'o', 'k'}));
  EXPECT_EQ(self->readUTF(*other), "ok");
}

TEST(CJDataInputStreamTest, MalformedUtf) {
  for (const std::string& input :
       {bytes({0, 1, 0x80}), bytes({0, 2, 0xC3, 0x41}), bytes({0, 1, 0xC3}), bytes({0, 2, 0xE2, 0x82}),
        bytes({0, 3, 0xE2, 0x02, 0xAC}), bytes({0, 3, 0xE2, 0x82, 0x2C}), bytes({0, 1, 0xF0}), bytes({0, 1, 0xFF}),
        bytes({0, 4, 0xF0, 0x9F, 0x98, 0x80})}) {
    EXPECT_EQ(thrownMessage<CJIOException>([&] { DataOver(input)->readUTF(); }), kMalformedUtf);
  }
}

TEST(CJDataInputStreamTest, ExtendedUtfLengthIsNotTrusted) {
  // Negative extended length.
  EXPECT_EQ(thrownMessage<CJIOException>([] {
              DataOver(bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}))->readUTF();
            }),
            kMalformedUtf);
  EXPECT_EQ(thrownMessage<CJIOException>([] {
              DataOver(bytes({0xFF, 0xFF, 0x80, 0, 0, 0, 'a'}))->readUTF();
            }),
            kMalformedUtf);
  // 2^31 - 1 announced, three bytes delivered: end of stream, nothing near 2 GiB allocated.
  EXPECT_EQ(thrownMessage<CJIOException>([] {
              DataOver(bytes({0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'}))->readUTF();
            }),
            kEof);
  // Truncated extended length.
  EXPECT_EQ(thrownMessage<CJIOException>([] { DataOver(bytes({0xFF, 0xFF, 0, 0}))->readUTF(); }), kEof);
}

TEST(CJDataInputStreamTest, FullLengthTextIsNotTakenForAnExtendedLength) {
  // 65535 bytes are written with the length FF FF; the text after it must not be read
  // as an extended length.
  const std::string text = "\xE9\x80" + std::string(65530, 'q');
  CJByteArrayOutputStream sink;
  CJDataOutputStream out(&sink, 0);
  out.writeUTF(text);
  out.writeUTF(std::string(65535, 'z'));
  out.writeInt(77);
  ASSERT_EQ(sink.toString().substr(0, 2), bytes({0xFF, 0xFF}));
  DataOver in(sink.toString());
  EXPECT_EQ(in->readUTF(), text);
  EXPECT_EQ(in->readUTF(), std::string(65535, 'z'));
  EXPECT_EQ(in->readInt(), 77);
}

TEST(CJDataInputStreamTest, ReadUtfOfALongExtendedText) {
  std::string input = bytes({0xFF, 0xFF, 0x00, 0x02, 0x00, 0x00});
  std::string text(131072, 'k');
  text[70000] = 'X';
  DataOver in(input + text + "tail");
  EXPECT_EQ(in->readUTF(), text);
  EXPECT_EQ(in->read(), 't');
}

TEST(CJDataInputStreamTest, StringForm) {
  EXPECT_EQ(DataOver(bytes({0xFF, 0xFF, 0xFF, 0xFF}))->readString(), "<NULL>");
  EXPECT_EQ(DataOver(bytes({0, 0, 0, 0}))->readString(), "");
  EXPECT_EQ(DataOver(bytes({0, 0, 0, 3, 0, 'a', 0x20, 0xAC, 0x4E, 0x2D}))->readString(), "a\x80?");
  EXPECT_EQ(thrownMessage<CJIOException>([] {
              DataOver(bytes({0xFF, 0xFF, 0xFF, 0xFE}))->readString();
            }),
            "A malformed string has been read in a data input stream.");
  EXPECT_EQ(thrownMessage<CJIOException>([] {
              DataOver(bytes({0x80, 0, 0, 0}))->readString();
            }),
            "A malformed string has been read in a data input stream.");
}

// ASCII is taken four units at a time: a zero or non-ASCII unit must count at every place in
// and across those groups, and its high and low byte each.
TEST(CJDataInputStreamTest, StringFormUnitsThatEndOrLeaveAsciiAtEveryPlace) {
  const std::string plain = "abcdefghijk";
  const struct {
    unsigned unit;
    const char* becomes;  // nullptr: the text ends there
  } cases[] = {{0x0000, nullptr}, {0x00E9, "\xE9"}, {0x20AC, "\x80"}, {0x4E2D, "?"},
               {0x4E42, "?"},     {0x00FF, "\xFF"}, {0x007F, "\x7F"}};
  for (const auto& c : cases) {
    for (std::size_t at = 0; at < plain.size(); ++at) {
      std::string wire = bytes({0, 0, 0, static_cast<int>(plain.size())});
      for (std::size_t k = 0; k < plain.size(); ++k) {
        const unsigned unit = k == at ? c.unit : static_cast<unsigned char>(plain[k]);
        wire += static_cast<char>(unit >> 8);
        wire += static_cast<char>(unit & 0xFF);
      }
      const std::string expected =
          c.becomes == nullptr ? plain.substr(0, at) : plain.substr(0, at) + c.becomes + plain.substr(at + 1);
      EXPECT_EQ(DataOver(wire)->readString(), expected) << std::hex << c.unit << " at " << std::dec << at;
    }
  }
  // Behind a character that needs the code page, a zero unit still ends the text.
  for (std::size_t at = 1; at < plain.size(); ++at) {
    std::string wire = bytes({0, 0, 0, static_cast<int>(plain.size()), 0x00, 0xE9});
    for (std::size_t k = 1; k < plain.size(); ++k) {
      wire += '\0';
      wire += k == at ? '\0' : plain[k];
    }
    EXPECT_EQ(DataOver(wire)->readString(), "\xE9" + plain.substr(1, at - 1)) << "zero at " << at;
  }
}

TEST(CJDataInputStreamTest, LongStringsReadTheSameInPiecesAsInPlace) {
  // A stream without a window delivers a long text in chunks of 64 KiB that are put together
  // again; the same text read in place from a byte array is the reference. Units that need the
  // code page, and zero units, sit on both sides of every chunk border.
  const std::size_t kUnitsPerChunk = 32 * 1024;
  const struct {
    std::size_t units;
    std::size_t at;  // where the unit goes
    unsigned unit;
  } cases[] = {{kUnitsPerChunk + 1, 0, 'a'},
               {3 * kUnitsPerChunk, kUnitsPerChunk - 1, 0x00E9},
               {3 * kUnitsPerChunk, kUnitsPerChunk, 0x20AC},
               {2 * kUnitsPerChunk + 7, 2 * kUnitsPerChunk + 6, 0x4E2D},
               {2 * kUnitsPerChunk + 7, kUnitsPerChunk - 1, 0x0000},
               {2 * kUnitsPerChunk + 7, kUnitsPerChunk + 1, 0x0000},
               {5 * kUnitsPerChunk, 4 * kUnitsPerChunk, 0x0000}};
  for (const auto& c : cases) {
    std::string wire = bytes({0, static_cast<int>(c.units >> 16), static_cast<int>((c.units >> 8) & 0xFF),
                              static_cast<int>(c.units & 0xFF)});
    for (std::size_t k = 0; k < c.units; ++k) {
      const unsigned unit = k == c.at ? c.unit : 'a' + static_cast<unsigned>(k % 26);
      wire += static_cast<char>(unit >> 8);
      wire += static_cast<char>(unit & 0xFF);
    }
    wire += '\x7F';
    const std::string expected = DataOver(wire)->readString();
    ScriptedInputStream inner(wire);
    CJDataInputStream in(&inner, 0);
    EXPECT_EQ(in.readString(), expected) << c.units << " units, " << std::hex << c.unit << " at " << std::dec << c.at;
    EXPECT_EQ(in.readByte(), 0x7F);
  }
}

TEST(CJDataInputStreamTest, StringFormConsumesUnitsAfterAZero) {
  DataOver in(bytes({0, 0, 0, 3, 0, 'a', 0, 0, 0, 'b', 0x7F}));
  EXPECT_EQ(in->readString(), "a");
  EXPECT_EQ(in->readByte(), 0x7F);
}

TEST(CJDataInputStreamTest, StringCountIsNotTrusted) {
  EXPECT_EQ(thrownMessage<CJIOException>([] {
              DataOver(bytes({0x7F, 0xFF, 0xFF, 0xFF, 0, 'a', 0}))->readString();
            }),
            kEof);
}

TEST(CJDataInputStreamTest, ReadFully) {
  DataOver in("abcdef");
  CJArray<char> b(6);
  in->readFully(b, 1, 4);
  EXPECT_EQ(std::string(b.data + 1, 4), "abcd");
  EXPECT_EQ(thrownMessage<CJIOException>([&] { in->readFully(b, 0, -1); }),
            "IndexOutOfBoundsException. Len is smaller than 0.");
  EXPECT_EQ(thrownMessage<CZException>([&] { in->readFully(b, 0, 3); }), kEof);
}

TEST(CJDataInputStreamTest, ForwardsStreamOperations) {
  char data[] = {'a', 'b', 'c', 'd'};
  CJByteArrayInputStream bytes(data, 4, 0);
  CJDataInputStream in(&bytes, 0);
  char raw[2];
  EXPECT_EQ(in.read(raw, 0, 2), 2);
  EXPECT_EQ(in.available(), 2);
  EXPECT_EQ(in.getCurrentPointer(), data + 2);
  EXPECT_EQ(in.getBufferRemaining(), 2);
  std::unique_ptr<CJArray<char>> rest(in.toRemainingByteArray());
  EXPECT_EQ(std::string(rest->data, rest->length), "cd");
  std::unique_ptr<CJArray<char>> all(in.toByteArray());
  EXPECT_EQ(all->length, 4);
  in.mark(0);
  EXPECT_EQ(in.read(), 'c');
  in.reset();
  CJArray<char> b(2);
  EXPECT_EQ(in.read(b), 2);
  EXPECT_EQ(in.read(b, 0, 1), -1);
}

TEST(CJDataInputStreamTest, OwnedInnerStreamIsDestroyed) {
  bool destroyed = false;
  auto* inner = new ScriptedInputStream("");
  inner->destroyed = &destroyed;
  { CJDataInputStream in(inner, 1); }
  EXPECT_TRUE(destroyed);
}

}  // namespace
}  // namespace torv::stream::test
