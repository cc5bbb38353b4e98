// SPDX-License-Identifier: Apache-2.0
// Output stream whose operations are the host's write-side callbacks: every operation is
// exactly one host call, nothing is buffered, and the stream has no state of its own.
#pragma once

#include "stream/output_stream.h"
#include "torv_vesk_client.h"

class TorvFuncOutputStream : public CJOutputStream {
 public:
  TorvFuncOutputStream(int context, FuncWriteByte writeByte, FuncWriteBArray writeBArray, FuncFlush flush,
                       FuncWriteClose writeClose, FuncErrorMessage errorMessage);
  // Makes no host call.
  ~TorvFuncOutputStream() override;

  using CJOutputStream::write;
  // One FuncWriteBArray call, also for length 0.
  void write(const char* buffer, int offset, int length) override;
  // One FuncWriteByte call with the value as given.
  void write(int value) override;
  void flush() override;
  void close() override;
  CJArray<char>* toByteArray() override;

 private:
  int context_;
  FuncWriteByte writeByte_;
  FuncWriteBArray writeBArray_;
  FuncFlush flush_;
  FuncWriteClose writeClose_;
  FuncErrorMessage errorMessage_;
};
