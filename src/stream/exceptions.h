// Exception objects of the stream library. Failures are thrown as pointers to new heap
// objects (`throw new CJIOException("...")`); whoever catches one and handles it
// releases it with Delete().
#pragma once

#include <memory>
#include <string>

// Root of the exception family: carries the auto-delete flag that decides whether
// Delete() destroys the object (heap objects) or leaves it alone (objects the catcher
// does not own).
class CAutoDeleteException {
 public:
  explicit CAutoDeleteException(int autoDelete = 1);
  CAutoDeleteException(const CAutoDeleteException&) = default;
  CAutoDeleteException& operator=(const CAutoDeleteException&) = default;
  virtual ~CAutoDeleteException() = default;

  // Destroys the object when its auto-delete flag is set; otherwise does nothing.
  void Delete();
  bool isAutoDelete() const { return autoDelete_; }
  // The thread's last error when the failure was raised. Unwinding can change it before a catch
  // site reads it (the Windows C++ runtime's locks do so when two threads throw at once).
  int lastErrorAtRaise() const { return lastErrorAtRaise_; }

 protected:
  bool autoDelete_;
  int lastErrorAtRaise_;
};

class CZException : public CAutoDeleteException {
 public:
  CZException();
  explicit CZException(const std::string& message);
  explicit CZException(int errorCode);
  CZException(const std::string& message, int errorCode);
  CZException(int autoDelete, const std::string& message);
  CZException(int autoDelete, int errorCode);
  CZException(int autoDelete, const std::string& message, int errorCode);
  CZException(const CZException& other);
  ~CZException() override;

  // Copies the message into buffer, cut to maxSize bytes including the terminating
  // zero. The help context is left untouched. Returns true.
  virtual bool copyErrorText(char* buffer, unsigned maxSize, unsigned* helpContext = nullptr);
  // Displays nothing; 2 when the report flag is clear, 0 otherwise.
  virtual int report(unsigned type = 0, unsigned helpId = 0);
  virtual int getErrorCode();
  virtual std::string getMessage();

 protected:
  std::string message_;
  int errorCode_ = 0;
  int reportFlag_ = 1;
};

class CJIOException : public CZException {
 public:
  explicit CJIOException(const std::string& message);
  ~CJIOException() override;
  std::string getMessage() override;
};

class CRuntimeException : public CZException {
 public:
  explicit CRuntimeException(const std::string& message);
  ~CRuntimeException() override;
  std::string getMessage() override;
};

// Releases a caught exception with Delete() when it leaves scope.
struct ExceptionDeleter {
  void operator()(CAutoDeleteException* e) const {
    if (e != nullptr) e->Delete();
  }
};
template <typename E>
using CaughtException = std::unique_ptr<E, ExceptionDeleter>;
