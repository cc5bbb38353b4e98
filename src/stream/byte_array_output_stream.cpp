#include "stream/byte_array_output_stream.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

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

char* CJByteArrayOutputStream::replaceBuffer(long long capacity) {
  char* bigger = new char[static_cast<std::size_t>(capacity) + 1];
  if (count_ > 0) std::memcpy(bigger, buffer_, static_cast<std::size_t>(count_));
  char* old = buffer_;
  buffer_ = bigger;
  capacity_ = static_cast<int>(capacity);
  filled_ = count_;
  return old;
}

void CJByteArrayOutputStream::growFor(int more) {
  const long long needed = static_cast<long long>(count_) + more;
  if (needed <= capacity_) return;
  if (needed > kMaxCapacity) throw new CJIOException(kTooLargeMessage);
  // The replaced buffer is the stream's own even when the final one is handed over.
  delete[] replaceBuffer(std::min(std::max(2LL * capacity_, needed), kMaxCapacity));
}

char* CJByteArrayOutputStream::claimForBytes(int n) {
  const long long needed = static_cast<long long>(count_) + n;
  if (needed > kMaxCapacity) return nullptr;
  if (needed > capacity_) {
    // Single-byte writes double the capacity each time they find the buffer full.
    long long grown = capacity_;
    while (grown < needed) grown = std::min(std::max(2 * grown, grown + 1), kMaxCapacity);
    delete[] replaceBuffer(grown);
  }
  return buffer_ + count_;
}

bool CJByteArrayOutputStream::reserveExactly(int n) {
  const long long needed = static_cast<long long>(count_) + n;
  if (n < 0 || needed > kMaxCapacity) return false;
  if (needed > capacity_) delete[] replaceBuffer(needed);
  return true;
}

void CJByteArrayOutputStream::write(const char* buffer, int offset, int length) {
  if (offset < 0 || length < 0) throw new CJIOException("IndexOutOfBoundsException()");
  if (length == 0) return;
  if (buffer == nullptr) throw new CJIOException("NullPointerException()");
  const char* source = buffer + offset;
  const long long needed = static_cast<long long>(count_) + length;
  if (needed > capacity_) {
    if (needed > kMaxCapacity) throw new CJIOException(kTooLargeMessage);
    // The source may lie inside the buffer being replaced: free it only after the copy.
    std::unique_ptr<char[]> old(replaceBuffer(std::min(std::max(2LL * capacity_, needed), kMaxCapacity)));
    std::memcpy(buffer_ + count_, source, static_cast<std::size_t>(length));
  } else {
    // The source may be this stream's own bytes, even past the held ones after setSize.
    std::memmove(buffer_ + count_, source, static_cast<std::size_t>(length));
  }
  count_ += length;
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
