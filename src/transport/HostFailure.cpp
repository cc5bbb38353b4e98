#include "transport/HostFailure.h"

#include <string>

#include "stream/exceptions.h"
#include "stream/modified_utf8.h"

namespace torv::transport {

void throwHostText(const char* text) {
  std::string message = decodeUTF(text != nullptr ? text : "");
  throw CZException(message);
}

void throwHostFailure(FuncErrorMessage errorMessage, int context) {
  throwHostText(errorMessage != nullptr ? errorMessage(context) : nullptr);
}

void throwHostTextPointer(FuncErrorMessage errorMessage, int context) {
  throw CZException::hostText(errorMessage != nullptr ? errorMessage(context) : nullptr);
}

void throwHostTextAsIs(const char* text) { throw CZException::hostText(text); }

void throwMissingCallback(const char* what) { throw CZException(std::string("no host function for ") + what); }

}  // namespace torv::transport
