// SPDX-License-Identifier: Apache-2.0
// Byte streams over a connected socket, for the demo server.
#pragma once

#include "stream/input_stream.h"
#include "stream/output_stream.h"

namespace torv::tools {

// Reads from the socket; the peer's orderly shutdown is the end of the stream.
class SocketInputStream : public CJInputStream {
 public:
  explicit SocketInputStream(int socket) : socket_(socket) {}
  using CJInputStream::read;
  int read(char* buffer, int offset, int length) override;
  int read() override;
  void close() override;
  int available() override;
  CJArray<char>* toByteArray() override { return nullptr; }

 private:
  int socket_;
};

// Writes to the socket; close shuts the sending side down.
class SocketOutputStream : public CJOutputStream {
 public:
  explicit SocketOutputStream(int socket) : socket_(socket) {}
  using CJOutputStream::write;
  void write(const char* buffer, int offset, int length) override;
  void write(int b) override;
  void flush() override {}
  void close() override;
  CJArray<char>* toByteArray() override { return nullptr; }

 private:
  int socket_;
};

}  // namespace torv::tools
