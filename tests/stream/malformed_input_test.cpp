// SPDX-License-Identifier: Apache-2.0
// Hostile and truncated input: every reader must end in a clean exception (or a value),
// never a crash, an overrun or a leak; the sanitizer build runs these too.
#include <random>

#include <gtest/gtest.h>

#include "stream_test_support.h"

namespace torv::stream::test {
namespace {

enum class Reader { kInt, kLong, kShort, kChar, kFloat, kDouble, kBoolean, kByte, kUtf, kString };
constexpr Reader kAllReaders[] = {Reader::kInt,    Reader::kLong,    Reader::kShort, Reader::kChar, Reader::kFloat,
                                  Reader::kDouble, Reader::kBoolean, Reader::kByte,  Reader::kUtf,  Reader::kString};

void readOne(CJDataInputStream& in, Reader reader) {
  switch (reader) {
    case Reader::kInt:
      in.readInt();
      break;
    case Reader::kLong:
      in.readLong();
      break;
    case Reader::kShort:
      in.readShort();
      break;
    case Reader::kChar:
      in.readChar();
      break;
    case Reader::kFloat:
      in.readFloat();
      break;
    case Reader::kDouble:
      in.readDouble();
      break;
    case Reader::kBoolean:
      in.readBoolean();
      break;
    case Reader::kByte:
      in.readByte();
      break;
    case Reader::kUtf:
      in.readUTF();
      break;
    case Reader::kString:
      in.readString();
      break;
  }
}

// Reads values until the input runs out or is refused; returns the exception message.
std::string drain(const std::string& input, Reader reader, int rawChunk = 1 << 30) {
  ScriptedInputStream inner(input);
  inner.rawChunk = rawChunk;
  CJDataInputStream in(&inner, 0);
  try {
    for (int i = 0; i < 64; ++i) readOne(in, reader);
  } catch (const CZException& e) {
    EXPECT_EQ(e.kind(), CZException::Kind::IO) << e.getMessage();
    return e.getMessage();
  }
  return std::string();
}

std::string validStream() {
  CJByteArrayOutputStream sink;
  CJDataOutputStream out(&sink, 0);
  out.writeInt(3);
  out.writeString("n\xE9");
  out.writeUTF("v\x80 \xE9");
  out.writeLong(-9);
  out.writeUTF("");
  out.writeString("");
  return sink.toString();
}

TEST(MalformedInputTest, EveryTruncationOfAValidStreamFailsCleanly) {
  const std::string full = validStream();
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    ScriptedInputStream inner(full.substr(0, cut));
    inner.rawChunk = 1 + static_cast<int>(cut % 3);
    CJDataInputStream in(&inner, 0);
    try {
      EXPECT_EQ(in.readInt(), 3);
      EXPECT_EQ(in.readString(), "n\xE9");
      EXPECT_EQ(in.readUTF(), "v\x80 \xE9");
      EXPECT_EQ(in.readLong(), -9);
      EXPECT_EQ(in.readUTF(), "");
      EXPECT_EQ(in.readString(), "");
      ADD_FAILURE() << "a stream cut at " << cut << " read completely";
    } catch (const CJIOException& e) {
      EXPECT_EQ(e.getMessage(), "EOFException. End of stream has been reached unexpectedly during input.");
    }
  }
}

TEST(MalformedInputTest, HostileCounts) {
  const std::string malformedString = "A malformed string has been read in a data input stream.";
  const std::string eof = "EOFException. End of stream has been reached unexpectedly during input.";
  const std::string malformedUtf =
      "UTFDataFormatException. A malformed UTF-8 string has been read in a data input stream.";
  EXPECT_EQ(drain(bytes({0xFF, 0xFF, 0xFF, 0xFE, 0, 'a'}), Reader::kString), malformedString);
  EXPECT_EQ(drain(bytes({0x80, 0, 0, 0}), Reader::kString), malformedString);
  EXPECT_EQ(drain(bytes({0x7F, 0xFF, 0xFF, 0xFF, 0, 'a', 0, 'b'}), Reader::kString), eof);
  EXPECT_EQ(drain(bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 'x'}), Reader::kUtf), malformedUtf);
  EXPECT_EQ(drain(bytes({0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 'x', 'y'}), Reader::kUtf), eof);
  EXPECT_EQ(drain(bytes({0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF}) + std::string(200000, 'x'), Reader::kUtf, 4093), eof);
  EXPECT_EQ(drain(bytes({0xFF, 0xFF}), Reader::kUtf), eof);
}

TEST(MalformedInputTest, BadLeadBytesInEveryPosition) {
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    if (lead >= 0xC0 && lead <= 0xEF) continue;  // real leads, tested with bad followers below
    for (const std::string& body : {bytes({lead}), bytes({'a', lead}), bytes({'a', lead, 'b'})}) {
      std::string input = bytes({0, static_cast<int>(body.size())}) + body;
      EXPECT_EQ(drain(input, Reader::kUtf),
                "UTFDataFormatException. A malformed UTF-8 string has been read in a data input stream.");
    }
  }
  for (int lead = 0xC0; lead <= 0xEF; ++lead) {
    for (int follower : {0x00, 0x41, 0x7F, 0xC0, 0xFF}) {
      std::string input = bytes({0, 3, lead, follower, 0x80});
      EXPECT_EQ(drain(input, Reader::kUtf),
                "UTFDataFormatException. A malformed UTF-8 string has been read in a data input stream.");
    }
  }
}

TEST(MalformedInputTest, RandomBytesNeverCrash) {
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 40);
  for (int round = 0; round < 3000; ++round) {
    std::string input;
    const int n = length(random);
    for (int i = 0; i < n; ++i) input.push_back(static_cast<char>(byte(random)));
    // Bias the first bytes towards the interesting counts.
    if (round % 4 == 0 && n >= 2) input[0] = input[1] = '\xFF';
    drain(input, kAllReaders[round % 10], 1 + round % 5);
  }
}

}  // namespace
}  // namespace torv::stream::test
