// SPDX-License-Identifier: Apache-2.0
// The failures of the client library: one value type, thrown and caught by value. A failure
// has a kind, a message, an error code and the thread's last error when it was raised; a text
// that the host threw or reported as its own travels as a failure of the host-text kind, with
// the host's pointer itself. CJIOException and CRuntimeException name two kinds and add nothing.
#pragma once

#include <string>

class CZException {
 public:
  enum class Kind { General, IO, Runtime, HostText };

  CZException();
  explicit CZException(const std::string& message);
  explicit CZException(int errorCode);
  CZException(const std::string& message, int errorCode);
  // The same with the auto-delete flag of the described framework first; it has no effect on
  // a value.
  CZException(int autoDelete, const std::string& message);
  CZException(int autoDelete, int errorCode);
  CZException(int autoDelete, const std::string& message, int errorCode);

  // A text the host threw or reported; a null text reads as an empty one.
  static CZException hostText(const char* text);

  Kind kind() const { return kind_; }
  // The host's own text pointer of a host-text failure, else null.
  const char* hostTextPointer() const { return hostText_; }
  // The thread's last error when the failure was raised. Unwinding can change it before a catch
  // site reads it (the Windows C++ runtime's locks do so when two threads throw at once).
  int lastErrorAtRaise() const { return lastErrorAtRaise_; }

  // Copies the message into buffer, cut to maxSize bytes including the terminating zero. The
  // help context is left untouched. Returns true.
  bool copyErrorText(char* buffer, unsigned maxSize, unsigned* helpContext = nullptr) const;
  // Displays nothing; 2 when the report flag is clear, 0 otherwise.
  int report(unsigned type = 0, unsigned helpId = 0) const;
  int getErrorCode() const { return errorCode_; }
  // The message; of a host-text failure, the host's text.
  std::string getMessage() const { return hostText_ != nullptr ? std::string(hostText_) : message_; }

 protected:
  CZException(Kind kind, const std::string& message);

 private:
  int lastErrorAtRaise_;  // first, before anything the construction does can change it
  Kind kind_ = Kind::General;
  std::string message_;
  int errorCode_ = 0;
  int reportFlag_ = 1;
  const char* hostText_ = nullptr;  // kept as the host's pointer: nothing is allocated for it
};

class CJIOException : public CZException {
 public:
  explicit CJIOException(const std::string& message) : CZException(Kind::IO, message) {}
};

class CRuntimeException : public CZException {
 public:
  explicit CRuntimeException(const std::string& message) : CZException(Kind::Runtime, message) {}
};
