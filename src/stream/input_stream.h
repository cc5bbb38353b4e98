// SPDX-License-Identifier: Apache-2.0
// Abstract byte input stream. A single-byte read yields 0..255, or -1 at end of stream;
// failures are thrown as values (see exceptions.h). Virtual operations are
// declared in their fixed slot order. Subclasses that override one `read` overload
// should add `using CJInputStream::read;` to keep the others visible.
#pragma once

#include "stream/array.h"

namespace torv::stream {
class ReadWindow;
}

class CJInputStream {
 public:
  CJInputStream();
  CJInputStream(const CJInputStream&) = delete;
  CJInputStream& operator=(const CJInputStream&) = delete;
  virtual ~CJInputStream();

  // Reads up to length bytes into buffer + offset; the count, or -1 at end.
  virtual int read(char* buffer, int offset, int length) = 0;
  // Byte by byte through read(); a CJIOException after the first byte ends the read.
  virtual int read(CJArray<char>& b, int offset, int length);
  virtual int read(CJArray<char>& b);
  virtual int read() = 0;
  // Reads and discards up to n bytes in chunks of 2048; returns how many were skipped.
  virtual long long skip(long long n);
  virtual void close() = 0;
  virtual int available() = 0;
  virtual void mark(int readLimit);
  virtual void reset();
  virtual int markSupported();
  // Streams over memory: a new array the caller destroys, or null.
  virtual CJArray<char>* toByteArray() = 0;
  virtual CJArray<char>* toRemainingByteArray();
  virtual int getBufferRemaining();
  virtual char* getCurrentPointer();
  // Fills buffer with length bytes, each from one single-byte read(); false when the stream
  // ends first. One dispatch for a whole run, for streams where every byte is its own call.
  virtual bool readEachByte(char* buffer, int length);
  // The stream's unread bytes, for readers that take them where they lie; null (the default)
  // for a stream that has no such buffer.
  virtual torv::stream::ReadWindow* readWindow();
  // The innermost stream below any stacked filters: this stream itself unless it is a filter.
  virtual CJInputStream* getBaseStream();

 protected:
  static constexpr int kSkipBufferSize = 2048;
  CJArray<char> skipBuffer_;  // created on the first skip, kept until destruction
};
