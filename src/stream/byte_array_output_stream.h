// Output stream into a growing heap buffer (new[]/delete[]). The buffer always keeps one
// byte of room beyond the held bytes for getTerminatedBuffer. To hand the buffer over:
// construct with owns 0, write, take getTerminatedBuffer() and size(), destroy the stream;
// the receiver frees the buffer with delete[].
#pragma once

#include <string>

#include "stream/output_stream.h"

class CJByteArrayOutputStream : public CJOutputStream {
 public:
  static constexpr int kDefaultCapacity = 4096;

  CJByteArrayOutputStream();
  explicit CJByteArrayOutputStream(int owns);
  CJByteArrayOutputStream(int initialCapacity, int owns);
  ~CJByteArrayOutputStream() override;

  using CJOutputStream::write;
  void write(const char* buffer, int offset, int length) override;
  void write(int b) override;
  void flush() override;
  void close() override;
  CJArray<char>* toByteArray() override;

  virtual void write(const char* data, int n);
  // Forgets the held bytes; the buffer and its capacity stay.
  virtual void reset();
  virtual int size();
  // The held bytes as they are.
  virtual std::string toString();
  // Sets the count of held bytes, kept between 0 and the bytes actually present.
  virtual void setSize(int n);
  // Stores a zero after the held bytes and returns the buffer itself; count unchanged.
  virtual char* getTerminatedBuffer();

  int capacity() const { return capacity_; }

 protected:
  void ensureRoom(int more);

  char* buffer_ = nullptr;  // capacity_ + 1 bytes
  int count_ = 0;
  int closed_ = 0;
  int capacity_ = 0;
  int owns_ = 1;
  int filled_ = 0;  // bytes of the buffer that hold written data (setSize limit)
};
