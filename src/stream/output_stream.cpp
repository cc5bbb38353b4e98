// SPDX-License-Identifier: Apache-2.0
#include "stream/output_stream.h"

#include "stream/exceptions.h"
#include "stream/range_check.h"

CJOutputStream::~CJOutputStream() = default;

void CJOutputStream::write(CJArray<char>& b, int offset, int length) {
  if (b.data == nullptr) throw CJIOException("NullPointerException");
  if (!torv::stream::rangeInside(offset, length, b.length)) {
    throw CJIOException(torv::stream::indexOutOfBoundsMessage(offset, length));
  }
  for (int i = 0; i < length; ++i) write(static_cast<int>(b.at(offset + i)));
}

void CJOutputStream::write(CJArray<char>& b) { write(b, 0, b.length); }

torv::stream::WriteWindow* CJOutputStream::writeWindow() { return nullptr; }

CJOutputStream* CJOutputStream::getBaseStream() { return this; }
