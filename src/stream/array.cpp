// SPDX-License-Identifier: Apache-2.0
#include "stream/array.h"

#include <cstdio>

#include "stream/exceptions.h"

template <typename T>
CJArray<T>::CJArray() : length(-1), data(nullptr), owns(1) {}

template <typename T>
CJArray<T>::CJArray(int n) : CJArray() {
  create(n);
}

template <typename T>
CJArray<T>::~CJArray() {
  if (owns) delete[] data;
}

template <typename T>
void CJArray<T>::create(int n) {
  if (n < 0) {
    throw CRuntimeException("Can't create an array. The length of an array should have be 0 or more.");
  }
  if (data != nullptr) throw CRuntimeException("Can't create an array. Array is already created.");
  data = new T[static_cast<unsigned>(n)];
  length = n;
}

template <typename T>
T& CJArray<T>::at(int i) {
  if (i < 0 || i >= length) {
    char text[128];
    std::snprintf(text, sizeof text, "Can't access an array. The index of an array is invlid. [%d/%d]", i, length);
    throw CRuntimeException(text);
  }
  if (data == nullptr) throw CRuntimeException("Can't acess an array. Array is not created.");
  return data[i];
}

template class CJArray<char>;
