// Input stream over a caller's byte buffer (freed with delete[] when owned).
#pragma once

#include "stream/input_stream.h"

class CJByteArrayInputStream final : public CJInputStream {
 public:
  // Empty stream: every read reports end of stream.
  CJByteArrayInputStream();
  explicit CJByteArrayInputStream(int owns);
  CJByteArrayInputStream(char* buffer, int length, int owns);
  // Reads from offset up to min(offset + length, bufferLength).
  CJByteArrayInputStream(char* buffer, int offset, int length, int bufferLength, int owns);
  ~CJByteArrayInputStream() override;

  using CJInputStream::read;
  int read(char* buffer, int offset, int length) override;
  int read() override { return position_ < count_ ? static_cast<unsigned char>(buffer_[position_++]) : -1; }
  long long skip(long long n) override;
  void close() override;
  int available() override;
  void mark(int readLimit) override;
  void reset() override;
  int markSupported() override;
  CJArray<char>* toByteArray() override;
  CJArray<char>* toRemainingByteArray() override;
  int getBufferRemaining() override;
  char* getCurrentPointer() override;

  // For readers that know they hold this stream (the class is final): the next n bytes,
  // consumed, or null with nothing consumed when fewer remain.
  const char* take(int n) {
    if (n > count_ - position_) return nullptr;
    const char* bytes = buffer_ + position_;
    position_ += n;
    return bytes;
  }

 private:
  int closed_ = 0;
  char* buffer_ = nullptr;
  int position_ = 0;
  int count_ = 0;
  int mark_ = 0;
  int bufferLength_ = 0;
  int owns_ = 0;
};
