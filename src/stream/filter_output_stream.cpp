// SPDX-License-Identifier: Apache-2.0
#include "stream/filter_output_stream.h"

#include "stream/exceptions.h"

CJFilterOutputStream::CJFilterOutputStream(CJOutputStream* out, int owns) : out_(out), owned_(owns ? out : nullptr) {}

CJFilterOutputStream::~CJFilterOutputStream() = default;

CJOutputStream& CJFilterOutputStream::inner() {
  if (out_ == nullptr) throw CJIOException("NullPointerException");
  return *out_;
}

void CJFilterOutputStream::write(const char* /*buffer*/, int /*offset*/, int /*length*/) {}

void CJFilterOutputStream::write(CJArray<char>& b, int offset, int length) {
  // Element access is checked, so a range outside the array fails instead of overrunning.
  for (int i = 0; i < length; ++i) write(static_cast<int>(b.at(offset + i)));
}

void CJFilterOutputStream::write(CJArray<char>& b) { write(b, 0, b.length); }
void CJFilterOutputStream::write(int b) { inner().write(b); }
void CJFilterOutputStream::flush() { inner().flush(); }
void CJFilterOutputStream::close() { inner().close(); }

CJOutputStream* CJFilterOutputStream::getBaseStream() { return out_ == nullptr ? nullptr : out_->getBaseStream(); }

CJOutputStream* CJFilterOutputStream::getOutputStream() { return out_; }
