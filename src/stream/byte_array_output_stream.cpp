// SPDX-License-Identifier: Apache-2.0
#include "stream/byte_array_output_stream.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#include "stream/exceptions.h"

using torv::stream::kByteArrayTooLargeMessage;
using torv::stream::kMaxWriteCapacity;

CJByteArrayOutputStream::CJByteArrayOutputStream() : CJByteArrayOutputStream(kDefaultCapacity, 1) {}

CJByteArrayOutputStream::CJByteArrayOutputStream(int owns) : CJByteArrayOutputStream(kDefaultCapacity, owns) {}

CJByteArrayOutputStream::CJByteArrayOutputStream(int initialCapacity, int owns) : owns_(owns) {
  if (initialCapacity < 0) {
    char text[80];
    std::snprintf(text, sizeof text, "IllegalArgumentException. Negative initial size: %d", initialCapacity);
    throw CRuntimeException(text);
  }
  if (initialCapacity > kMaxWriteCapacity) throw CRuntimeException(kByteArrayTooLargeMessage);
  buffer_ = new char[static_cast<std::size_t>(initialCapacity) + 1];
  capacity_ = initialCapacity;
}

CJByteArrayOutputStream::~CJByteArrayOutputStream() {
  if (owns_) delete[] buffer_;
}

void CJByteArrayOutputStream::write(const char* buffer, int offset, int length) {
  if (offset < 0 || length < 0) throw CJIOException("IndexOutOfBoundsException()");
  if (length == 0) return;
  if (buffer == nullptr) throw CJIOException("NullPointerException()");
  const char* source = buffer + offset;
  const long long needed = static_cast<long long>(count_) + length;
  if (needed > capacity_) {
    if (needed > kMaxWriteCapacity) throw CJIOException(kByteArrayTooLargeMessage);
    // The source may lie inside the buffer being replaced: free it only after the copy.
    std::unique_ptr<char[]> old(replaceBuffer(std::min(std::max(2LL * capacity_, needed), kMaxWriteCapacity)));
    std::memcpy(buffer_ + count_, source, static_cast<std::size_t>(length));
  } else {
    // The source may be this stream's own bytes, even past the held ones after setSize.
    std::memmove(buffer_ + count_, source, static_cast<std::size_t>(length));
  }
  count_ += length;
}

void CJByteArrayOutputStream::flush() {}

void CJByteArrayOutputStream::close() { closed_ = 1; }

CJArray<char>* CJByteArrayOutputStream::toByteArray() {
  auto* array = new CJArray<char>(count_);
  if (count_ > 0) std::memcpy(array->data, buffer_, static_cast<std::size_t>(count_));
  return array;
}

void CJByteArrayOutputStream::write(const char* data, int n) { write(data, 0, n); }

void CJByteArrayOutputStream::reset() { setCount(0); }

int CJByteArrayOutputStream::size() { return count_; }

std::string CJByteArrayOutputStream::toString() { return std::string(buffer_, static_cast<std::size_t>(count_)); }

void CJByteArrayOutputStream::setSize(int n) { setCount(n); }

char* CJByteArrayOutputStream::getTerminatedBuffer() {
  buffer_[count_] = '\0';  // count_ <= capacity_, and the buffer holds capacity_ + 1 bytes
  return buffer_;
}
