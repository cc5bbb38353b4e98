// SPDX-License-Identifier: Apache-2.0
// The byte array of the stream library: a fixed length plus a heap buffer, created once,
// with checked element access. Only CJArray<char> is instantiated.
#pragma once

class CRuntimeException;

template <typename T>
class CJArray {
 public:
  // Not created: length -1, no buffer.
  CJArray();
  // Created at once with n elements (see create).
  explicit CJArray(int n);
  CJArray(const CJArray&) = delete;
  CJArray& operator=(const CJArray&) = delete;
  virtual ~CJArray();

  // Makes a buffer of n uninitialised elements. Throws CRuntimeException when n is
  // negative or the array already exists.
  void create(int n);
  // Element i; throws CRuntimeException unless 0 <= i < length and the buffer exists.
  T& at(int i);

  int length;  // -1 while not created
  T* data;     // allocated with new[]; null while not created
  int owns;    // 1: the destructor frees data with delete[]
};

extern template class CJArray<char>;
