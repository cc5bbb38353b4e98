// SPDX-License-Identifier: Apache-2.0
// Output stream that forwards to an inner stream, which it destroys (never closes) on
// destruction when it owns it. Stays abstract: toByteArray is left open.
#pragma once

#include <memory>

#include "stream/output_stream.h"

class CJFilterOutputStream : public CJOutputStream {
 public:
  CJFilterOutputStream(CJOutputStream* out, int owns);
  ~CJFilterOutputStream() override;

  // Does nothing here; data streams pass it on.
  void write(const char* buffer, int offset, int length) override;
  // Each element through this stream's own write(int), sign-extended.
  void write(CJArray<char>& b, int offset, int length) override;
  void write(CJArray<char>& b) override;
  void write(int b) override;
  void flush() override;
  void close() override;

  // The innermost stream below the filters, or null without an inner stream.
  CJOutputStream* getBaseStream() override;
  virtual CJOutputStream* getOutputStream();

 protected:
  // The inner stream; throws CJIOException "NullPointerException" when there is none.
  CJOutputStream& inner();

  CJOutputStream* out_;
  std::unique_ptr<CJOutputStream> owned_;  // out_ when the filter owns it
};
