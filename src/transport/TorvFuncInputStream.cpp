// SPDX-License-Identifier: Apache-2.0
#include "transport/TorvFuncInputStream.h"

#include <algorithm>
#include <memory>

#include "stream/exceptions.h"
#include "transport/HostFailure.h"

namespace {
constexpr long long kSkipChunk = 1024;
constexpr const char* kNotOneByte = "TorvFuncInputStream::read: too many or zero data read";

// The buffer at an offset; a null buffer stays null rather than becoming a wild pointer.
char* at(char* buffer, int offset) { return buffer == nullptr ? nullptr : buffer + offset; }
}  // namespace

using namespace torv::transport;

TorvFuncInputStream::TorvFuncInputStream(int context, FuncReadByte readByte, FuncReadBArray readBArray,
                                         FuncAvailable available, FuncReadClose readClose,
                                         FuncErrorMessage errorMessage)
    : context_(context),
      readByte_(readByte),
      readBArray_(readBArray),
      available_(available),
      readClose_(readClose),
      errorMessage_(errorMessage) {}

TorvFuncInputStream::~TorvFuncInputStream() {
  if (closed_ == 0 && readClose_ != nullptr) {
    // A destructor cannot pass a failure on, and the host's result is not examined anyway.
    try {
      readClose_(context_, 1);
    } catch (...) {
    }
  }
}

int TorvFuncInputStream::read(char* buffer, int offset, int length) {
  if (readBArray_ == nullptr) throwMissingCallback("FuncReadBArray");
  int count = 0;
  callHost([&] { return readBArray_(context_, at(buffer, offset), length, &count); }, errorMessage_, context_);
  return count;
}

int TorvFuncInputStream::read() {
  if (readByte_ == nullptr) throwMissingCallback("FuncReadByte");
  unsigned char byte = 0;
  int count = 0;
  callHost([&] { return readByte_(context_, &byte, &count); }, errorMessage_, context_);
  if (count != 1) throw CZException(kNotOneByte);
  return byte;
}

bool TorvFuncInputStream::readEachByte(char* buffer, int length) {
  if (length <= 0) return true;
  if (readByte_ == nullptr) throwMissingCallback("FuncReadByte");
  const FuncReadByte readByte = readByte_;
  const int context = context_;
  for (char *next = buffer, *end = buffer + length; next != end; ++next) {
    unsigned char byte = 0;
    int count = 0;
    callHost([&] { return readByte(context, &byte, &count); }, errorMessage_, context);
    if (count != 1) throw CZException(kNotOneByte);
    *next = static_cast<char>(byte);
  }
  return true;
}

long long TorvFuncInputStream::skip(long long n) {
  if (n <= 0) return 0;
  const long long chunk = std::min(n, kSkipChunk);
  std::unique_ptr<char[]> scratch(new char[static_cast<size_t>(chunk)]);
  long long remaining = n;
  while (remaining > 0) {
    const int piece = static_cast<int>(std::min(chunk, remaining));
    const int count = read(scratch.get(), 0, piece);
    // A host that reports no progress would keep this loop going forever: stop there.
    if (count <= 0) break;
    // A host that claims more than it was asked for skipped no more than the piece.
    remaining -= std::min(count, piece);
  }
  return n - remaining;
}

void TorvFuncInputStream::close() {
  closed_ = 1;
  // Refused like every other operation whose host function is missing; still counts as closed.
  if (readClose_ == nullptr) throwMissingCallback("FuncReadClose");
  callHostAsIs([&] { return readClose_(context_, 0); });
}

int TorvFuncInputStream::available() {
  if (available_ == nullptr) throwMissingCallback("FuncAvailable");
  int n = 0;
  // Unlike the reads, a failure here reaches the caller as the host's own text pointer.
  if (callHostAsIs([&] { return available_(context_, &n); }) < 0) throwHostTextPointer(errorMessage_, context_);
  return n;
}

CJArray<char>* TorvFuncInputStream::toByteArray() { return nullptr; }
