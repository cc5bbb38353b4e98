// Output stream into a growing heap buffer (new[]/delete[]). The buffer always keeps one
// byte of room beyond the held bytes for getTerminatedBuffer. To hand the buffer over:
// construct with owns 0, write, take getTerminatedBuffer() and size(), destroy the stream;
// the receiver frees the buffer with delete[].
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "stream/output_stream.h"

class CJByteArrayOutputStream final : public CJOutputStream {
 public:
  static constexpr int kDefaultCapacity = 4096;

  CJByteArrayOutputStream();
  explicit CJByteArrayOutputStream(int owns);
  CJByteArrayOutputStream(int initialCapacity, int owns);
  ~CJByteArrayOutputStream() override;

  using CJOutputStream::write;
  void write(const char* buffer, int offset, int length) override;
  void write(int b) override { put(b); }
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

  // Direct entry points for writers that know they hold this stream (the class is final,
  // so they stand for the virtual calls exactly).
  // The single-byte write.
  void put(int b) {
    if (count_ == capacity_) growFor(1);
    buffer_[count_++] = static_cast<char>(b);
    filled_ = std::max(filled_, count_);
  }
  // The raw-buffer write of n bytes from a source outside this stream's buffer.
  void append(const char* bytes, int n) {
    if (n > capacity_ - count_) growFor(n);
    std::memcpy(buffer_ + count_, bytes, static_cast<std::size_t>(n));
    count_ += n;
    filled_ = std::max(filled_, count_);
  }
  // Room for n bytes that will arrive as n single-byte writes, grown the way those writes
  // would grow it. Returns where they go (pass them on with commit), or null when the
  // stream cannot hold them: the caller then writes byte by byte and fails where they would.
  char* claimForBytes(int n);
  // Room for n more bytes whose number is known in advance: one buffer of exactly that size,
  // or the present one when it has the room. False when the stream cannot hold them.
  bool reserveExactly(int n);
  // Where n bytes would go when they fit without growing the buffer, or null.
  char* spare(int n) { return n <= capacity_ - count_ ? buffer_ + count_ : nullptr; }
  void commit(int n) {
    count_ += n;
    filled_ = std::max(filled_, count_);
  }

 private:
  // Grows the buffer for `more` bytes, freeing the old one only after the new one is filled.
  void growFor(int more);
  // Replaces the buffer with one of the given capacity holding the held bytes; returns the
  // old buffer, which the caller frees once it no longer reads from it.
  char* replaceBuffer(long long capacity);

  char* buffer_ = nullptr;  // capacity_ + 1 bytes
  int count_ = 0;
  int closed_ = 0;
  int capacity_ = 0;
  int owns_ = 1;
  int filled_ = 0;  // bytes of the buffer that hold written data (setSize limit)
};
