// SPDX-License-Identifier: Apache-2.0
// Input stream that forwards to an inner stream, which it destroys (never closes) on
// destruction when it owns it. Stays abstract: raw read and toByteArray are left open.
#pragma once

#include <memory>

#include "stream/input_stream.h"

class CJFilterInputStream : public CJInputStream {
 public:
  CJFilterInputStream(CJInputStream* in, int owns);
  ~CJFilterInputStream() override;

  using CJInputStream::read;
  int read(CJArray<char>& b, int offset, int length) override;
  int read(CJArray<char>& b) override;
  int read() override;
  long long skip(long long n) override;
  void close() override;
  int available() override;
  void mark(int readLimit) override;
  void reset() override;
  int markSupported() override;

  // The innermost stream below the filters, or null without an inner stream.
  CJInputStream* getBaseStream() override;
  virtual CJInputStream* getInputStream();

 protected:
  // The inner stream; throws CJIOException "NullPointerException" when there is none.
  CJInputStream& inner();

  CJInputStream* in_;
  std::unique_ptr<CJInputStream> owned_;  // in_ when the filter owns it
};
