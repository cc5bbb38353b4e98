// SPDX-License-Identifier: Apache-2.0
// Byte compatibility with java.io.DataInputStream / DataOutputStream. The Java peer
// (java/DataPeer.java) writes and checks the same sequence as the sides below.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "stream/text_codec.h"
#include "stream_test_support.h"

namespace torv::stream::test {
namespace {

// One side of the exchange: a writer or a checking reader.
class Side {
 public:
  virtual ~Side() = default;
  virtual void i(int v) = 0;
  virtual void l(long long v) = 0;
  virtual void s(short v) = 0;
  virtual void c(char16_t v) = 0;
  virtual void f(float v) = 0;
  virtual void d(double v) = 0;
  virtual void z(bool v) = 0;
  virtual void b(signed char v) = 0;
  // written: the 8-bit text this side writes; expected: what reading gives back.
  virtual void utf(const std::string& written, const std::string& expected) = 0;
  virtual void str(const std::string& written, const std::string& expected) = 0;
};

class WriterSide : public Side {
 public:
  explicit WriterSide(CJDataOutputStream& out) : out_(out) {}
  void i(int v) override { out_.writeInt(v); }
  void l(long long v) override { out_.writeLong(v); }
  void s(short v) override { out_.writeShort(v); }
  void c(char16_t v) override { out_.writeChar(v); }
  void f(float v) override { out_.writeFloat(v); }
  void d(double v) override { out_.writeDouble(v); }
  void z(bool v) override { out_.writeBoolean(v ? 1 : 0); }
  void b(signed char v) override { out_.writeByte(v); }
  void utf(const std::string& written, const std::string&) override { out_.writeUTF(written); }
  void str(const std::string& written, const std::string&) override { out_.writeString(written); }

 private:
  CJDataOutputStream& out_;
};

template <typename T, typename U>
bool sameBits(T a, U b) {
  static_assert(sizeof(T) == sizeof(U), "");
  return std::memcmp(&a, &b, sizeof a) == 0;
}

class ReaderSide : public Side {
 public:
  explicit ReaderSide(CJDataInputStream& in) : in_(in) {}
  void i(int v) override { EXPECT_EQ(in_.readInt(), v) << where(); }
  void l(long long v) override { EXPECT_EQ(in_.readLong(), v) << where(); }
  void s(short v) override { EXPECT_EQ(in_.readShort(), v) << where(); }
  void c(char16_t v) override { EXPECT_EQ(in_.readChar(), v) << where(); }
  void f(float v) override { EXPECT_TRUE(sameBits(in_.readFloat(), v)) << where(); }
  void d(double v) override { EXPECT_TRUE(sameBits(in_.readDouble(), v)) << where(); }
  void z(bool v) override { EXPECT_EQ(in_.readBoolean(), v ? 1 : 0) << where(); }
  void b(signed char v) override { EXPECT_EQ(static_cast<signed char>(in_.readByte()), v) << where(); }
  void utf(const std::string&, const std::string& expected) override { EXPECT_EQ(in_.readUTF(), expected) << where(); }
  void str(const std::string&, const std::string& expected) override {
    EXPECT_EQ(in_.readString(), expected) << where();
  }

 private:
  std::string where() { return "value " + std::to_string(index_++); }
  CJDataInputStream& in_;
  int index_ = 0;
};

void numbers(Side& s) {
  for (int v : {0, 1, -1, 0x12345678, INT32_MIN, INT32_MAX}) s.i(v);
  for (long long v : {0LL, -1LL, 4294967298LL, 0x0123456789ABCDEFLL, LLONG_MIN, LLONG_MAX}) s.l(v);
  for (short v : {0, -2, 0x1234, -32768, 32767}) s.s(v);
  for (char16_t v : {u'\0', u'A', u'\u00e9', u'\u20ac', static_cast<char16_t>(0xD800), u'\uffff'}) s.c(v);
  using F = std::numeric_limits<float>;
  for (float v : {0.0f, -0.0f, 1.0f, -2.5f, 3.1415927f, F::denorm_min(), F::max(), F::infinity(), -F::infinity(),
                  F::quiet_NaN()}) {
    s.f(v);
  }
  using D = std::numeric_limits<double>;
  for (double v : {0.0, -0.0, 1.0, -2.5, 3.141592653589793, D::denorm_min(), D::max(), D::infinity(), -D::infinity(),
                   D::quiet_NaN()}) {
    s.d(v);
  }
  s.z(true);
  s.z(false);
  for (signed char v : {0, 1, -1, -128, 127}) s.b(v);
}

std::string cutAtZero(const std::string& text) { return text.substr(0, text.find('\0')); }

// Windows-1252 texts; the peer holds the same texts in UTF-16.
std::vector<std::string> sharedTexts() {
  std::string every;
  for (int v = 1; v <= 0xFF; ++v) every.push_back(static_cast<char>(v));
  std::string cycle;
  for (int k = 0; k < 100000; ++k) cycle.push_back(every[k % every.size()]);
  return {"",
          "abc",
          "Gr\xFC\xDF"
          "e, caf\xE9 \x80"
          "5",
          std::string("a\0b", 3),
          every,
          std::string(65535, 'x'),
          std::string(21845, '\x80'),
          std::string(32767, '\xE9') + "z",
          cycle};
}

// What our side reads for the texts only the peer writes.
std::vector<std::string> javaTextsAsRead() {
  return {"", "x", "?", "?", "x?y", "??", "???", "\xE9\x80?", std::string(21845, '?')};
}
// Whether each of those fits the UTF form (the peer writes it there only then).
const bool kJavaTextFitsUtf[] = {true, true, true, true, true, true, true, true, true};

// Texts over 65535 bytes of modified UTF-8 only fit the String form.
bool fitsUtf(const std::string& text) {
  std::u16string units;
  return ansiToUnits(text, units) && modifiedUtf8Length(units) <= 65535;
}

void texts(Side& s) {
  for (const std::string& t : sharedTexts()) {
    if (fitsUtf(t)) s.utf(t, cutAtZero(t));
    s.str(t, cutAtZero(t));
  }
}

std::string peerCommand(const std::string& mode, const std::string& file) {
  return std::string("'") + TORV_JAVA + "' -cp '" + TORV_JAVA_PEER_DIR + "' DataPeer " + mode + " '" + file + "'";
}

int runPeer(const std::string& mode, const std::string& file) {
  const int status = std::system(peerCommand(mode, file).c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string workFile(const std::string& name) { return std::string(TORV_JAVA_WORK_DIR) + "/" + name; }

std::string ourBytes() {
  CJByteArrayOutputStream sink;
  CJDataOutputStream out(&sink, 0);
  WriterSide writer(out);
  numbers(writer);
  texts(writer);
  EXPECT_EQ(out.size(), sink.size());
  return sink.toString();
}

TEST(JavaCompatTest, WhatJavaWritesReadsBackToTheSameValues) {
  const std::string file = workFile("java_written.bin");
  ASSERT_EQ(runPeer("write", file), 0);
  std::string data = readFile(file);
  ASSERT_FALSE(data.empty());
  CJByteArrayInputStream source(&data[0], static_cast<int>(data.size()), 0);
  CJDataInputStream in(&source, 0);
  ReaderSide reader(in);
  numbers(reader);
  texts(reader);
  const std::vector<std::string> javaTexts = javaTextsAsRead();
  for (std::size_t k = 0; k < javaTexts.size(); ++k) {
    if (kJavaTextFitsUtf[k]) reader.utf("", javaTexts[k]);
    reader.str("", javaTexts[k]);
  }
  EXPECT_EQ(in.read(), -1);
}

TEST(JavaCompatTest, WhatWeWriteJavaReadsBackToTheSameValues) {
  const std::string file = workFile("cpp_written.bin");
  {
    const std::string data = ourBytes();
    std::ofstream out(file, std::ios::binary);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
  }
  EXPECT_EQ(runPeer("check", file), 0);
}

TEST(JavaCompatTest, SameValuesGiveTheSameBytes) {
  const std::string file = workFile("java_common.bin");
  ASSERT_EQ(runPeer("write-common", file), 0);
  const std::string theirs = readFile(file);
  const std::string ours = ourBytes();
  ASSERT_EQ(ours.size(), theirs.size());
  EXPECT_TRUE(ours == theirs) << "first difference at byte "
                              << std::distance(ours.begin(),
                                               std::mismatch(ours.begin(), ours.end(), theirs.begin()).first);
}

}  // namespace
}  // namespace torv::stream::test
