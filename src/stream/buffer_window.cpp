// SPDX-License-Identifier: Apache-2.0
#include "stream/buffer_window.h"

#include <algorithm>

#include "stream/exceptions.h"

namespace torv::stream {

const char kByteArrayTooLargeMessage[] =
    "OutOfMemoryError. A byte array output stream cannot hold more than 2147483646 bytes.";

char* WriteWindow::replaceBuffer(long long capacity) {
  char* bigger = new char[static_cast<std::size_t>(capacity) + 1];
  if (count_ > 0) std::memcpy(bigger, buffer_, static_cast<std::size_t>(count_));
  char* old = buffer_;
  buffer_ = bigger;
  capacity_ = static_cast<int>(capacity);
  filled_ = count_;
  return old;
}

void WriteWindow::growFor(int more) {
  const long long needed = static_cast<long long>(count_) + more;
  if (needed <= capacity_) return;
  if (needed > kMaxWriteCapacity) throw CJIOException(kByteArrayTooLargeMessage);
  // The replaced buffer is the stream's own even when the final one is handed over.
  delete[] replaceBuffer(std::min(std::max(2LL * capacity_, needed), kMaxWriteCapacity));
}

char* WriteWindow::claim(int n) {
  const long long needed = static_cast<long long>(count_) + n;
  if (needed > kMaxWriteCapacity) return nullptr;
  if (needed > capacity_) {
    // Single-byte writes double the capacity each time they find the buffer full.
    long long grown = capacity_;
    while (grown < needed) grown = std::min(std::max(2 * grown, grown + 1), kMaxWriteCapacity);
    delete[] replaceBuffer(grown);
  }
  return buffer_ + count_;
}

bool WriteWindow::reserveExactly(int n) {
  const long long needed = static_cast<long long>(count_) + n;
  if (n < 0 || needed > kMaxWriteCapacity) return false;
  if (needed > capacity_) delete[] replaceBuffer(needed);
  return true;
}

void WriteWindow::setCount(int n) {
  filled_ = filled();
  count_ = std::clamp(n, 0, filled_);
}

}  // namespace torv::stream
