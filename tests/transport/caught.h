// SPDX-License-Identifier: Apache-2.0
// Catching the library's failures in tests: the message and the kind of what was thrown.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "stream/exceptions.h"

namespace torv::testing {

struct Caught {
  std::string kind;            // "CJIOException", "CRuntimeException", "CZException", "text" or "" (nothing)
  std::string message;         // the exception's message, or the thrown text
  const char* text = nullptr;  // the thrown text pointer itself
};

template <typename Operation>
Caught caught(Operation&& operation) {
  Caught result;
  try {
    operation();
  } catch (const CZException& failure) {
    switch (failure.kind()) {
      case CZException::Kind::IO:
        result.kind = "CJIOException";
        break;
      case CZException::Kind::Runtime:
        result.kind = "CRuntimeException";
        break;
      case CZException::Kind::HostText:
        result.kind = "text";
        result.text = failure.hostTextPointer();
        break;
      case CZException::Kind::General:
        result.kind = "CZException";
        break;
    }
    result.message = failure.getMessage();
  }
  return result;
}

}  // namespace torv::testing
