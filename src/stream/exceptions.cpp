// SPDX-License-Identifier: Apache-2.0
#include "stream/exceptions.h"

#include <cstring>

#include "platform/code_page.h"

CZException::CZException() : lastErrorAtRaise_(torv::platform::lastError()) {}
CZException::CZException(const std::string& message)
    : lastErrorAtRaise_(torv::platform::lastError()), message_(message) {}
CZException::CZException(int errorCode) : lastErrorAtRaise_(torv::platform::lastError()), errorCode_(errorCode) {}
CZException::CZException(const std::string& message, int errorCode)
    : lastErrorAtRaise_(torv::platform::lastError()), message_(message), errorCode_(errorCode) {}
CZException::CZException(int /*autoDelete*/, const std::string& message) : CZException(message) {}
CZException::CZException(int /*autoDelete*/, int errorCode) : CZException(errorCode) {}
CZException::CZException(int /*autoDelete*/, const std::string& message, int errorCode)
    : CZException(message, errorCode) {}
CZException::CZException(Kind kind, const std::string& message) : CZException(message) { kind_ = kind; }

CZException CZException::hostText(const char* text) {
  CZException failure;
  failure.kind_ = Kind::HostText;
  failure.hostText_ = text != nullptr ? text : "";
  return failure;
}

bool CZException::copyErrorText(char* buffer, unsigned maxSize, unsigned* /*helpContext*/) const {
  if (buffer == nullptr || maxSize == 0) return true;
  const char* text = hostText_ != nullptr ? hostText_ : message_.c_str();
  std::size_t n = hostText_ != nullptr ? std::strlen(hostText_) : message_.size();
  if (n > maxSize - 1) n = maxSize - 1;
  std::memcpy(buffer, text, n);
  buffer[n] = '\0';
  return true;
}

int CZException::report(unsigned /*type*/, unsigned /*helpId*/) const { return reportFlag_ == 0 ? 2 : 0; }
