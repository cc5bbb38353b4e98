// Writes big-endian typed values and the two string forms to an inner stream, counting
// the bytes passed on (saturating at 2147483647).
#pragma once

#include <string>

#include "stream/filter_output_stream.h"

class CJDataOutputStream : public CJFilterOutputStream {
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

 protected:
  void count(long long bytes);

  int written_ = 0;
};
