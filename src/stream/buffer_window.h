// SPDX-License-Identifier: Apache-2.0
// Windows onto the buffer of a stream over memory, in the manner of zero-copy streams: a reader
// takes bytes where they lie and a writer places them straight into the buffer, without a call
// per value. A base stream offers one through readWindow() or writeWindow(); the default is none.
// The window is the stream's own state, so the stream sees every byte as it is taken or placed.
#pragma once

#include <cstring>

namespace torv::stream {

// A write window carries one byte beyond its capacity for the terminating zero.
inline constexpr long long kMaxWriteCapacity = 2147483646;
extern const char kByteArrayTooLargeMessage[];

// The bytes of an input stream that are not read yet. Taking bytes here reads them.
class ReadWindow {
 public:
  // The next byte as 0..255, or -1 at the end.
  int next() { return position_ < end_ ? static_cast<unsigned char>(bytes_[position_++]) : -1; }
  // The next n bytes, read, or null with nothing read when fewer remain.
  const char* take(int n) {
    if (n > end_ - position_) return nullptr;
    const char* bytes = bytes_ + position_;
    position_ += n;
    return bytes;
  }

 protected:
  char* bytes_ = nullptr;
  int position_ = 0;
  int end_ = 0;  // bytes from position_ up to here are readable
};

// The growing buffer of an output stream. It always keeps one byte of room beyond its
// capacity, for a terminating zero.
class WriteWindow {
 public:
  // Places n bytes from outside the buffer, grown as the stream's own raw write grows it.
  void append(const char* bytes, int n) {
    if (n > capacity_ - count_) growFor(n);
    std::memcpy(buffer_ + count_, bytes, static_cast<std::size_t>(n));
    count_ += n;
  }
  // Where n bytes go that would otherwise arrive as n single-byte writes, grown the way those
  // writes would grow it; pass them on with commit. Null when the stream cannot hold them: the
  // caller then writes byte by byte and fails where those writes would.
  char* claim(int n);
  // Where n bytes go when they fit without growing the buffer, or null.
  char* spare(int n) { return n <= capacity_ - count_ ? buffer_ + count_ : nullptr; }
  void commit(int n) { count_ += n; }
  // Room for n more bytes whose number is known in advance: one buffer of exactly that size,
  // or the present one when it has the room. False when the stream cannot hold them.
  bool reserveExactly(int n);

 protected:
  // Grows the buffer for `more` bytes, freeing the old one only after the new one is filled.
  void growFor(int more);
  // Replaces the buffer with one of the given capacity holding the held bytes; returns the
  // old buffer, which the caller frees once it no longer reads from it.
  char* replaceBuffer(long long capacity);
  // Bytes of the buffer that hold written data, also beyond a count set back.
  int filled() const { return filled_ > count_ ? filled_ : count_; }
  // Sets the count of held bytes back or forth within the written data.
  void setCount(int n);

  char* buffer_ = nullptr;  // capacity_ + 1 bytes
  int count_ = 0;
  int capacity_ = 0;

 private:
  int filled_ = 0;  // written bytes beyond a count that was set back
};

}  // namespace torv::stream
