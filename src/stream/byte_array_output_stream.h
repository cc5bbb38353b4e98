// SPDX-License-Identifier: Apache-2.0
// Output stream into a growing heap buffer (new[]/delete[]). The buffer always keeps one
// byte of room beyond the held bytes for getTerminatedBuffer. To hand the buffer over:
// construct with owns 0, write, take getTerminatedBuffer() and size(), destroy the stream;
// the receiver frees the buffer with delete[].
#pragma once

#include <string>

#include "stream/buffer_window.h"
#include "stream/output_stream.h"

class CJByteArrayOutputStream final : public CJOutputStream, private torv::stream::WriteWindow {
 public:
  static constexpr int kDefaultCapacity = 4096;

  CJByteArrayOutputStream();
  explicit CJByteArrayOutputStream(int owns);
  CJByteArrayOutputStream(int initialCapacity, int owns);
  ~CJByteArrayOutputStream() override;

  using CJOutputStream::write;
  void write(const char* buffer, int offset, int length) override;
  void write(int b) override {
    const char byte = static_cast<char>(b);
    append(&byte, 1);
  }
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

  // The buffer itself, for writers that place bytes in it directly.
  torv::stream::WriteWindow* writeWindow() override { return this; }

 private:
  int closed_ = 0;
  int owns_ = 1;
};
