// Catching the library's exception pointers in tests: the message and the most derived
// class of what was thrown, the object released as every catch site must.
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
  } catch (CZException* exception) {
    result.kind = dynamic_cast<CJIOException*>(exception) != nullptr       ? "CJIOException"
                  : dynamic_cast<CRuntimeException*>(exception) != nullptr ? "CRuntimeException"
                                                                           : "CZException";
    result.message = exception->getMessage();
    exception->Delete();
  } catch (const char* text) {
    result.kind = "text";
    result.text = text;
    result.message = text != nullptr ? text : "";
  }
  return result;
}

}  // namespace torv::testing
