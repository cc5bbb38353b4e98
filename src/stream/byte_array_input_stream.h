// SPDX-License-Identifier: Apache-2.0
// Input stream over a caller's byte buffer (freed with delete[] when owned).
#pragma once

#include "stream/buffer_window.h"
#include "stream/input_stream.h"

class CJByteArrayInputStream final : public CJInputStream, private torv::stream::ReadWindow {
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
  int read() override { return next(); }
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

  // The unread bytes themselves, for readers that take them in place.
  torv::stream::ReadWindow* readWindow() override { return this; }

 private:
  int closed_ = 0;
  int mark_ = 0;
  int bufferLength_ = 0;
  int owns_ = 0;
};
