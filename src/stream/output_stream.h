// SPDX-License-Identifier: Apache-2.0
// Abstract byte output stream; virtual operations in their fixed slot order.
// Subclasses that override one `write` overload should add `using CJOutputStream::write;`.
#pragma once

#include "stream/array.h"

namespace torv::stream {
class WriteWindow;
}

class CJOutputStream {
 public:
  CJOutputStream() = default;
  CJOutputStream(const CJOutputStream&) = delete;
  CJOutputStream& operator=(const CJOutputStream&) = delete;
  virtual ~CJOutputStream();

  virtual void write(const char* buffer, int offset, int length) = 0;
  // Range-checked, then byte by byte through write(int).
  virtual void write(CJArray<char>& b, int offset, int length);
  virtual void write(CJArray<char>& b);
  // The low eight bits of b are the byte.
  virtual void write(int b) = 0;
  virtual void flush() = 0;
  virtual void close() = 0;
  // Streams over memory: a new array the caller destroys, or null.
  virtual CJArray<char>* toByteArray() = 0;
  // The stream's growing buffer, for writers that place bytes in it directly; null (the
  // default) for a stream that has no such buffer.
  virtual torv::stream::WriteWindow* writeWindow();
  // The innermost stream below any stacked filters: this stream itself unless it is a filter.
  virtual CJOutputStream* getBaseStream();
};
