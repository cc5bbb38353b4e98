#include "stream/byte_array_output_stream.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "stream/exceptions.h"

namespace {
// The buffer carries one byte beyond its capacity for the terminating zero.
constexpr long long kMaxCapacity = INT_MAX - 1;
constexpr char kTooLargeMessage[] =
    "OutOfMemoryError. A byte array output stream cannot hold more than 2147483646 bytes.";
}  // namespace

CJByteArrayOutputStream::CJByteArrayOutputStream() : CJByteArrayOutputStream(kDefaultCapacity, 1) {}

CJByteArrayOutputStream::CJByteArrayOutputStream(int owns) : CJByteArrayOutputStream(kDefaultCapacity, owns) {}

CJByteArrayOutputStream::CJByteArrayOutputStream(int initialCapacity, int owns) : owns_(owns) {
  if (initialCapacity < 0) {
    char text[80];
    std::snprintf(text, sizeof text, "IllegalArgumentException. Negative initial size: %d", initialCapacity);
    throw new CRuntimeException(text);
  }
  if (initialCapacity > kMaxCapacity) throw new CRuntimeException(kTooLargeMessage);
  buffer_ = new char[static_cast<std::size_t>(initialCapacity) + 1];
  capacity_ = initialCapacity;
}

CJByteArrayOutputStream::~CJByteArrayOutputStream() {
  if (owns_) delete[] buffer_;
}

void CJByteArrayOutputStream::ensureRoom(int more) {
  const long long needed = static_cast<long long>(count_) + more;
  if (needed <= capacity_) return;
  if (needed > kMaxCapacity) {
    throw new CJIOException(kTooLargeMessage);
  }
  const long long grown = std::min(std::max(2LL * capacity_, needed), kMaxCapacity);
  char* bigger = new char[static_cast<std::size_t>(grown) + 1];
  if (count_ > 0) std::memcpy(bigger, buffer_, static_cast<std::size_t>(count_));
  // The replaced buffer is the stream's own even when the final one is handed over.
  delete[] buffer_;
  buffer_ = bigger;
  capacity_ = static_cast<int>(grown);
  filled_ = count_;
}

void CJByteArrayOutputStream::write(const char* buffer, int offset, int length) {
  if (offset < 0 || length < 0) throw new CJIOException("IndexOutOfBoundsException()");
  if (length == 0) return;
  if (buffer == nullptr) throw new CJIOException("NullPointerException()");
  ensureRoom(length);
  std::memcpy(buffer_ + count_, buffer + offset, static_cast<std::size_t>(length));
  count_ += length;
  filled_ = std::max(filled_, count_);
}

void CJByteArrayOutputStream::write(int b) {
  ensureRoom(1);
  buffer_[count_++] = static_cast<char>(b);
  filled_ = std::max(filled_, count_);
}

void CJByteArrayOutputStream::flush() {}

void CJByteArrayOutputStream::close() { closed_ = 1; }

CJArray<char>* CJByteArrayOutputStream::toByteArray() {
  auto* array = new CJArray<char>(count_);
  if (count_ > 0) std::memcpy(array->data, buffer_, static_cast<std::size_t>(count_));
  return array;
}

void CJByteArrayOutputStream::write(const char* data, int n) { write(data, 0, n); }

void CJByteArrayOutputStream::reset() { count_ = 0; }

int CJByteArrayOutputStream::size() { return count_; }

std::string CJByteArrayOutputStream::toString() { return std::string(buffer_, static_cast<std::size_t>(count_)); }

void CJByteArrayOutputStream::setSize(int n) { count_ = std::clamp(n, 0, filled_); }

char* CJByteArrayOutputStream::getTerminatedBuffer() {
  buffer_[count_] = '\0';  // count_ <= capacity_, and the buffer holds capacity_ + 1 bytes
  return buffer_;
}
