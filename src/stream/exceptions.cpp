#include "stream/exceptions.h"

#include <cstring>

#include "platform/code_page.h"

CAutoDeleteException::CAutoDeleteException(int autoDelete)
    : autoDelete_(autoDelete != 0), lastErrorAtRaise_(torv::platform::lastError()) {}

void CAutoDeleteException::Delete() {
  if (autoDelete_) delete this;
}

CZException::CZException() : CAutoDeleteException(1) {}
CZException::CZException(const std::string& message) : CAutoDeleteException(1), message_(message) {}
CZException::CZException(int errorCode) : CAutoDeleteException(1), errorCode_(errorCode) {}
CZException::CZException(const std::string& message, int errorCode)
    : CAutoDeleteException(1), message_(message), errorCode_(errorCode) {}
CZException::CZException(int autoDelete, const std::string& message)
    : CAutoDeleteException(autoDelete), message_(message) {}
CZException::CZException(int autoDelete, int errorCode) : CAutoDeleteException(autoDelete), errorCode_(errorCode) {}
CZException::CZException(int autoDelete, const std::string& message, int errorCode)
    : CAutoDeleteException(autoDelete), message_(message), errorCode_(errorCode) {}
CZException::CZException(const CZException& other)
    : CAutoDeleteException(other), message_(other.message_), errorCode_(other.errorCode_), reportFlag_(1) {}
CZException::~CZException() = default;

bool CZException::copyErrorText(char* buffer, unsigned maxSize, unsigned* /*helpContext*/) {
  if (buffer == nullptr || maxSize == 0) return true;
  std::size_t n = message_.size();
  if (n > maxSize - 1) n = maxSize - 1;
  std::memcpy(buffer, message_.data(), n);
  buffer[n] = '\0';
  return true;
}

int CZException::report(unsigned /*type*/, unsigned /*helpId*/) { return reportFlag_ == 0 ? 2 : 0; }

int CZException::getErrorCode() { return errorCode_; }

std::string CZException::getMessage() { return message_; }

CJIOException::CJIOException(const std::string& message) : CZException(message) {}
CJIOException::~CJIOException() = default;
std::string CJIOException::getMessage() { return message_; }

CRuntimeException::CRuntimeException(const std::string& message) : CZException(message) {}
CRuntimeException::~CRuntimeException() = default;
std::string CRuntimeException::getMessage() { return message_; }
