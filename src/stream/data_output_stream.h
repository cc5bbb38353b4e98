// Writes big-endian typed values and the two string forms to an inner stream, counting
// the bytes passed on (saturating at 2147483647).
#pragma once

#include <string>

#include "stream/filter_output_stream.h"

class CJByteArrayOutputStream;

class CJDataOutputStream final : public CJFilterOutputStream {
 public:
  CJDataOutputStream(CJOutputStream* out, int owns);
  ~CJDataOutputStream() override;

  using CJFilterOutputStream::write;
  void write(const char* buffer, int offset, int length) override;
  void write(int b) override;
  void flush() override;
  void close() override;
  CJArray<char>* toByteArray() override;

  virtual void writeBoolean(int v);
  virtual void writeByte(int v);
  virtual void writeShort(int v);
  virtual void writeChar(int v);
  virtual void writeInt(int v);
  virtual void writeLong(long long v);
  virtual void writeFloat(float v);
  virtual void writeDouble(double v);
  // Modified UTF-8 with an unsigned 16-bit length; longer encodings are refused.
  virtual void writeUTF(std::string s);
  // 32-bit count of UTF-16 units, then the units big-endian.
  virtual void writeString(const std::string& s);
  virtual int size();

 private:
  void count(long long bytes);
  // The inner stream's single-byte and raw-buffer writes.
  void putByte(int b);
  void putRaw(const char* bytes, int n);
  // Converts s into units_, or throws the conversion failure of the given kind.
  void toUnits(const std::string& s, const char* kind);
  // Lets go of a scratch buffer that a long text grew.
  void releaseLargeScratch();

  int written_ = 0;
  // The inner stream when it is our own memory stream: bytes are written in place.
  CJByteArrayOutputStream* memory_;
  // UTF-16 units of the text being written; kept between calls.
  std::u16string units_;
};
