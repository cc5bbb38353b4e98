// SPDX-License-Identifier: Apache-2.0
#include "transport/HostFailure.h"

#include <string>

#include "stream/exceptions.h"
#include "stream/modified_utf8.h"

namespace torv::transport {

void throwHostText(const char* text) {
  std::string message = decodeUTF(text != nullptr ? text : "");
  throw CZException(message);
}

namespace {
// The host's text for the failure just reported. A text the failure function itself throws
// travels on unconverted, as any text a host throws outside the counted calls.
const char* failureText(FuncErrorMessage errorMessage, int context) {
  if (errorMessage == nullptr) return nullptr;
  return callHostAsIs([&] { return errorMessage(context); });
}
}  // namespace

void throwHostFailure(FuncErrorMessage errorMessage, int context) { throwHostText(failureText(errorMessage, context)); }

void throwHostTextPointer(FuncErrorMessage errorMessage, int context) {
  throw CZException::hostText(failureText(errorMessage, context));
}

void throwHostTextAsIs(const char* text) { throw CZException::hostText(text); }

void throwMissingCallback(const char* what) { throw CZException(std::string("no host function for ") + what); }

}  // namespace torv::transport
