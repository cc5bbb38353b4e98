// SPDX-License-Identifier: Apache-2.0
// Writes big-endian typed values and the two string forms to an inner stream, counting
// the bytes passed on (saturating at 2147483647).
#pragma once

#include <climits>
#include <string>
#include <string_view>

#include "stream/buffer_window.h"
#include "stream/filter_output_stream.h"
#include "stream/unit_buffer.h"

class CJDataOutputStream final : public CJFilterOutputStream {
 public:
  CJDataOutputStream(CJOutputStream* out, int owns);
  ~CJDataOutputStream() override;

  using CJFilterOutputStream::write;
  void write(const char* buffer, int offset, int length) override;
  void write(int b) override {
    putByte(b);
    count(1);
  }
  void flush() override;
  void close() override;
  CJArray<char>* toByteArray() override;

  virtual void writeBoolean(int v);
  virtual void writeByte(int v) {
    putByte(v);
    count(1);
  }
  virtual void writeShort(int v);
  virtual void writeChar(int v);
  virtual void writeInt(int v) {
    const unsigned u = static_cast<unsigned>(v);
    const char bytes[4] = {static_cast<char>(u >> 24), static_cast<char>(u >> 16), static_cast<char>(u >> 8),
                           static_cast<char>(u)};
    putRaw(bytes, 4);
    count(4);
  }
  virtual void writeLong(long long v);
  virtual void writeFloat(float v);
  virtual void writeDouble(double v);
  // Modified UTF-8 with an unsigned 16-bit length; longer encodings are refused.
  virtual void writeUTF(std::string s);
  // 32-bit count of UTF-16 units, then the units big-endian.
  virtual void writeString(const std::string& s) { writeText(s); }
  // The same String form for text held elsewhere (e.g. in a list's shared text buffer).
  void writeText(std::string_view s);
  virtual int size();

  // Announces at most `bytes` more bytes: a window below grows once to hold exactly that many. Writes nothing; other
  // streams ignore it.
  void expect(long long bytes);

 private:
  void count(long long bytes) {
    const long long sum = static_cast<long long>(written_) + bytes;
    written_ = (sum < 0 || sum > INT_MAX) ? INT_MAX : static_cast<int>(sum);
  }
  // The inner stream's single-byte and raw-buffer writes; in place when it has a window.
  void putByte(int b) {
    if (window_ != nullptr) {
      const char byte = static_cast<char>(b);
      window_->append(&byte, 1);
    } else {
      inner().write(b);
    }
  }
  void putRaw(const char* bytes, int n) {
    if (window_ != nullptr) {
      window_->append(bytes, n);
    } else {
      inner().write(bytes, 0, n);
    }
  }
  // Converts s into units_, or throws the conversion failure of the given kind.
  void toUnits(std::string_view s, const char* kind);

  int written_ = 0;
  // The inner stream's buffer, when it offers it: bytes are written in place.
  torv::stream::WriteWindow* window_;
  // UTF-16 units of the text being written; kept between calls.
  torv::stream::UnitBuffer units_;
};
