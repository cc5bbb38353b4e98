// SPDX-License-Identifier: Apache-2.0
// Input stream whose operations are the host's read-side callbacks: every operation is
// exactly one host call (skip reads in pieces), nothing is buffered.
#pragma once

#include "stream/input_stream.h"
#include "torv_vesk_client.h"

class TorvFuncInputStream : public CJInputStream {
 public:
  TorvFuncInputStream(int context, FuncReadByte readByte, FuncReadBArray readBArray, FuncAvailable available,
                      FuncReadClose readClose, FuncErrorMessage errorMessage);
  // Tells the host (reason 1) when the stream was never closed.
  ~TorvFuncInputStream() override;

  using CJInputStream::read;
  // One FuncReadBArray call; the host's count comes back unchanged.
  int read(char* buffer, int offset, int length) override;
  // One FuncReadByte call; 0 to 255, never -1.
  int read() override;
  // As many FuncReadByte calls as bytes, each handled as read() handles it.
  bool readEachByte(char* buffer, int length) override;
  long long skip(long long n) override;
  // Counts as closed before the host is told (reason 0).
  void close() override;
  int available() override;
  CJArray<char>* toByteArray() override;

  // Marks the stream closed without telling the host, so that releasing it makes no host
  // call; for a teardown that must not reach the host.
  void abandon() { closed_ = 1; }
  bool isClosed() const { return closed_ != 0; }

 private:
  int context_;
  FuncReadByte readByte_;
  FuncReadBArray readBArray_;
  FuncAvailable available_;
  FuncReadClose readClose_;
  FuncErrorMessage errorMessage_;
  int closed_ = 0;
};
