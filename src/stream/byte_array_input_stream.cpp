// SPDX-License-Identifier: Apache-2.0
#include "stream/byte_array_input_stream.h"

#include <algorithm>
#include <cstring>

#include "stream/exceptions.h"

CJByteArrayInputStream::CJByteArrayInputStream() = default;

CJByteArrayInputStream::CJByteArrayInputStream(int owns) : owns_(owns) {}

CJByteArrayInputStream::CJByteArrayInputStream(char* buffer, int length, int owns)
    : CJByteArrayInputStream(buffer, 0, length, length, owns) {}

CJByteArrayInputStream::CJByteArrayInputStream(char* buffer, int offset, int length, int bufferLength, int owns)
    : owns_(owns) {
  bytes_ = buffer;
  // Out-of-range arguments shrink the readable window instead of pointing outside the buffer.
  bufferLength_ = buffer == nullptr ? 0 : std::max(bufferLength, 0);
  position_ = std::clamp(offset, 0, bufferLength_);
  const long long end = static_cast<long long>(offset) + length;
  end_ = static_cast<int>(std::clamp<long long>(end, position_, bufferLength_));
  mark_ = position_;
}

CJByteArrayInputStream::~CJByteArrayInputStream() {
  if (owns_ && bytes_ != nullptr) delete[] bytes_;
}

int CJByteArrayInputStream::read(char* buffer, int offset, int length) {
  if (buffer == nullptr) throw CJIOException("NullPointerException()");
  if (offset < 0 || length < 0) throw CJIOException("IndexOutOfBoundsException()");
  if (position_ >= end_) return -1;
  const int n = std::min(length, end_ - position_);
  if (n <= 0) return 0;
  std::memcpy(buffer + offset, bytes_ + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

long long CJByteArrayInputStream::skip(long long n) {
  const long long left = static_cast<long long>(end_) - position_;
  if (n > left) n = left;
  if (n < 0) return 0;
  position_ += static_cast<int>(n);
  return n;
}

void CJByteArrayInputStream::close() { closed_ = 1; }
int CJByteArrayInputStream::available() { return end_ - position_; }
void CJByteArrayInputStream::mark(int /*readLimit*/) { mark_ = position_; }
void CJByteArrayInputStream::reset() { position_ = mark_; }
int CJByteArrayInputStream::markSupported() { return 1; }

CJArray<char>* CJByteArrayInputStream::toByteArray() {
  auto* array = new CJArray<char>(end_);
  if (end_ > 0) std::memcpy(array->data, bytes_, static_cast<std::size_t>(end_));
  return array;
}

CJArray<char>* CJByteArrayInputStream::toRemainingByteArray() {
  const int remaining = std::max(end_ - position_, 0);
  auto* array = new CJArray<char>(remaining);
  if (remaining > 0) std::memcpy(array->data, bytes_ + position_, static_cast<std::size_t>(remaining));
  return array;
}

int CJByteArrayInputStream::getBufferRemaining() { return bufferLength_ - position_; }

char* CJByteArrayInputStream::getCurrentPointer() { return bytes_ == nullptr ? nullptr : bytes_ + position_; }
