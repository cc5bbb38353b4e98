#include "transport/HostFailure.h"

#include <string>

#include "stream/exceptions.h"
#include "stream/modified_utf8.h"

namespace torv::transport {

void throwHostText(const char* text) {
  std::string message = decodeUTF(text != nullptr ? text : "");
  throw new CZException(message);
}

void throwHostFailure(FuncErrorMessage errorMessage, int context) {
  throwHostText(errorMessage != nullptr ? errorMessage(context) : nullptr);
}

void throwHostTextPointer(FuncErrorMessage errorMessage, int context) {
  const char* text = errorMessage != nullptr ? errorMessage(context) : nullptr;
  throw text != nullptr ? text : "";
}

void throwMissingCallback(const char* what) { throw new CZException(std::string("no host function for ") + what); }

}  // namespace torv::transport
