// SPDX-License-Identifier: Apache-2.0
// Reads big-endian typed values and the two string forms (modified UTF-8 with a 16-bit
// length, UTF-16 with a 32-bit count) from an inner stream. Decoded strings are 8-bit
// Windows-1252 text, cut at the first zero unit.
#pragma once

#include <memory>
#include <string>

#include "stream/buffer_window.h"
#include "stream/filter_input_stream.h"
#include "stream/unit_buffer.h"

class CJDataInputStream final : public CJFilterInputStream {
 public:
  CJDataInputStream(CJInputStream* in, int owns);
  ~CJDataInputStream() override;

  using CJFilterInputStream::read;
  int read(char* buffer, int offset, int length) override;
  int read(CJArray<char>& b, int offset, int length) override;
  int read(CJArray<char>& b) override;
  int available() override;
  CJArray<char>* toByteArray() override;
  CJArray<char>* toRemainingByteArray() override;
  int getBufferRemaining() override;
  char* getCurrentPointer() override;

  virtual char readByte() {
    const int c = next();
    if (c < 0) throwEof();
    return static_cast<char>(c);
  }
  virtual long long readLong();
  virtual double readDouble();
  virtual float readFloat();
  virtual int readBoolean();
  virtual short readShort();
  virtual char16_t readChar();
  virtual int readInt() {
    if (window_ != nullptr) {
      if (const char* wire = window_->take(4)) return bigEndianInt(wire);
    }
    return readIntSlowly();
  }
  // Reads one UTF string from `in` (not from this stream). A length of FF FF followed by
  // a zero byte is an extended 32-bit length (below 2^24); otherwise FF FF is the length
  // of a 65535-byte text.
  virtual std::string readUTF(CJDataInputStream& in);
  virtual std::string readUTF();
  // Count -1 reads back as "<NULL>".
  virtual std::string readString();
  // Reads the same String form and appends its text to `to`. When it throws, `to` keeps at
  // least what it held before.
  void appendString(std::string& to);

  int readUnsignedShort();
  // Reads exactly length bytes into b at offset; end of stream throws CZException.
  void readFully(CJArray<char>& b, int offset, int length);

 private:
  // Fills buffer with exactly length bytes from the inner stream's raw read.
  void readExactly(char* buffer, int length);
  // One single-byte read of the inner stream; in place when it has a window.
  int next() { return window_ != nullptr ? window_->next() : inner().read(); }
  [[noreturn]] static void throwEof();
  static int bigEndianInt(const char* wire) {
    const auto* b = reinterpret_cast<const unsigned char*>(wire);
    return static_cast<int>((static_cast<unsigned>(b[0]) << 24) | (static_cast<unsigned>(b[1]) << 16) |
                            (static_cast<unsigned>(b[2]) << 8) | b[3]);
  }
  int readIntSlowly();
  // Converts units_ to the result and lets go of a scratch buffer that a long text grew.
  std::string finishText();
  // The text of n big-endian UTF-16 units, converted by the code page.
  std::string textOfUnits(const unsigned char* wire, std::size_t n);
  // Appends the text of n big-endian UTF-16 units: ASCII directly, anything else by the code page.
  void appendUnits(const unsigned char* wire, std::size_t n, std::string& to);
  // The first chunk of a text's wire bytes: the stream's own, kept between texts.
  char* firstChunk();

  // The inner stream's unread bytes, when it offers them: read in place.
  torv::stream::ReadWindow* window_;
  // Decoded UTF-16 units on their way to the result; kept between calls.
  torv::stream::UnitBuffer units_;
  // The first chunk of wire bytes of a text from a stream that is not ours.
  std::unique_ptr<char[]> bytes_;
};
