// SPDX-License-Identifier: Apache-2.0
// How failures reported by the host's callbacks become exceptions of the stream library.
#pragma once

#include "torv_vesk_client.h"

namespace torv::transport {

// Throws a new CZException whose message is the host's modified UTF-8 text decoded to the
// 8-bit code page. A text that does not decode raises the decoder's own data-format
// exception instead. A null text counts as an empty one.
[[noreturn]] void throwHostText(const char* text);

// Asks the host for the text of the failure just reported and throws it as above.
[[noreturn]] void throwHostFailure(FuncErrorMessage errorMessage, int context);

// Asks the host for the text of the failure just reported and throws the host's own text
// pointer, unconverted, as a host-text failure.
[[noreturn]] void throwHostTextPointer(FuncErrorMessage errorMessage, int context);

// Throws a text the host threw as a host-text failure carrying the pointer, unconverted.
[[noreturn]] void throwHostTextAsIs(const char* text);

// Makes one host call whose result is the caller's own business: a text thrown out of the host
// function travels on unconverted (throwHostTextAsIs); anything else passes unchanged.
template <typename Call>
auto callHostAsIs(Call call) -> decltype(call()) {
  try {
    return call();
  } catch (const char* text) {
    throwHostTextAsIs(text);
  }
}

// Throws a new CZException naming a host function that the host did not supply.
[[noreturn]] void throwMissingCallback(const char* what);

// Makes one host call whose status counts and returns that status. A text thrown out of the host
// function becomes a CZException with that text; a negative status asks the host for its text
// (once) and throws that as a CZException. Anything else the host throws passes unchanged.
// The host's failure function is taken by reference: it is read only when a call fails, so a
// loop of host calls does not load it again after each one.
template <typename Call>
int callHost(Call call, const FuncErrorMessage& errorMessage, int context) {
  int status;
  try {
    status = call();
  } catch (const char* text) {
    throwHostText(text);
  }
  if (status < 0) throwHostFailure(errorMessage, context);
  return status;
}

}  // namespace torv::transport
