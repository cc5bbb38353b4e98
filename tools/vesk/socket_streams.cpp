// SPDX-License-Identifier: Apache-2.0
#include "socket_streams.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <sys/ioctl.h>
#include <sys/socket.h>

#include "stream/exceptions.h"

namespace torv::tools {

namespace {
[[noreturn]] void throwSocketError(const char* what) {
  throw CJIOException(std::string(what) + ": " + std::strerror(errno));
}
}  // namespace

int SocketInputStream::read(char* buffer, int offset, int length) {
  if (length <= 0) return 0;
  for (;;) {
    const ssize_t n = ::recv(socket_, buffer + offset, static_cast<size_t>(length), 0);
    if (n > 0) return static_cast<int>(n);
    if (n == 0) return -1;
    if (errno != EINTR) throwSocketError("receive");
  }
}

int SocketInputStream::read() {
  char byte = 0;
  return read(&byte, 0, 1) < 0 ? -1 : static_cast<unsigned char>(byte);
}

void SocketInputStream::close() { ::shutdown(socket_, SHUT_RD); }

int SocketInputStream::available() {
  int n = 0;
  if (::ioctl(socket_, FIONREAD, &n) < 0) throwSocketError("available");
  return n;
}

void SocketOutputStream::write(const char* buffer, int offset, int length) {
  const char* at = buffer + offset;
  while (length > 0) {
    const ssize_t n = ::send(socket_, at, static_cast<size_t>(length), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      throwSocketError("send");
    }
    at += n;
    length -= static_cast<int>(n);
  }
}

void SocketOutputStream::write(int b) {
  const char byte = static_cast<char>(b);
  write(&byte, 0, 1);
}

void SocketOutputStream::close() { ::shutdown(socket_, SHUT_WR); }

}  // namespace torv::tools
