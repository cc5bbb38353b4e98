// SPDX-License-Identifier: Apache-2.0
#include "stream/filter_input_stream.h"

#include "stream/exceptions.h"

CJFilterInputStream::CJFilterInputStream(CJInputStream* in, int owns) : in_(in), owned_(owns ? in : nullptr) {}

CJFilterInputStream::~CJFilterInputStream() = default;

CJInputStream& CJFilterInputStream::inner() {
  if (in_ == nullptr) throw CJIOException("NullPointerException");
  return *in_;
}

int CJFilterInputStream::read(CJArray<char>& b, int offset, int length) { return inner().read(b, offset, length); }
int CJFilterInputStream::read(CJArray<char>& b) { return inner().read(b, 0, b.length); }
int CJFilterInputStream::read() { return inner().read(); }
long long CJFilterInputStream::skip(long long n) { return inner().skip(n); }
void CJFilterInputStream::close() { inner().close(); }
int CJFilterInputStream::available() { return inner().available(); }
void CJFilterInputStream::mark(int readLimit) { inner().mark(readLimit); }
void CJFilterInputStream::reset() { inner().reset(); }
int CJFilterInputStream::markSupported() { return inner().markSupported(); }

CJInputStream* CJFilterInputStream::getBaseStream() { return in_ == nullptr ? nullptr : in_->getBaseStream(); }

CJInputStream* CJFilterInputStream::getInputStream() { return in_; }
