// SPDX-License-Identifier: Apache-2.0
#include "stream/input_stream.h"

#include <climits>
#include <cstdio>

#include "stream/exceptions.h"
#include "stream/range_check.h"

namespace torv::stream {

std::string indexOutOfBoundsMessage(int offset, int length) {
  char text[80];
  std::snprintf(text, sizeof text, "Index out of bounds. [Offset : %d, Length : %d]", offset, length);
  return text;
}

}  // namespace torv::stream

CJInputStream::CJInputStream() = default;

CJInputStream::~CJInputStream() = default;

int CJInputStream::read(CJArray<char>& b, int offset, int length) {
  if (b.data == nullptr) throw CJIOException("NullPointerException");
  if (!torv::stream::rangeInside(offset, length, b.length)) {
    throw CRuntimeException(torv::stream::indexOutOfBoundsMessage(offset, length));
  }
  if (length == 0) return 0;
  int c = read();
  if (c == -1) return -1;
  b.at(offset) = static_cast<char>(c);
  int i = 1;
  // A failure after the first byte ends the read with what has arrived so far.
  try {
    for (; i < length; ++i) {
      c = read();
      if (c == -1) break;
      b.at(offset + i) = static_cast<char>(c);
    }
  } catch (const CJIOException&) {
  }
  return i;
}

int CJInputStream::read(CJArray<char>& b) { return read(b, 0, b.length); }

long long CJInputStream::skip(long long n) {
  if (skipBuffer_.data == nullptr) skipBuffer_.create(kSkipBufferSize);
  if (n <= 0) return 0;
  // Counts are handled within 32 bits; a larger request skips at most INT_MAX bytes and
  // reports what was really skipped.
  const int requested = n > INT_MAX ? INT_MAX : static_cast<int>(n);
  int remaining = requested;
  while (remaining > 0) {
    const int chunk = remaining < kSkipBufferSize ? remaining : kSkipBufferSize;
    const int r = read(skipBuffer_, 0, chunk);
    if (r < 0) break;
    remaining -= r;
  }
  return static_cast<long long>(requested) - remaining;
}

void CJInputStream::mark(int /*readLimit*/) {}

void CJInputStream::reset() { throw CJIOException("mark/reset not supported"); }

int CJInputStream::markSupported() { return 0; }

CJArray<char>* CJInputStream::toRemainingByteArray() { return nullptr; }

int CJInputStream::getBufferRemaining() { return 0; }

char* CJInputStream::getCurrentPointer() { return nullptr; }

bool CJInputStream::readEachByte(char* buffer, int length) {
  for (int i = 0; i < length; ++i) {
    const int c = read();
    if (c < 0) return false;
    buffer[i] = static_cast<char>(c);
  }
  return true;
}

torv::stream::ReadWindow* CJInputStream::readWindow() { return nullptr; }

CJInputStream* CJInputStream::getBaseStream() { return this; }
