// The record behind a client handle: the raw data streams over the host's callbacks, the
// secure streams the session handed out, the session and the last failure text.
#pragma once

#include "torv/vesk/FailureText.h"

class CJDataInputStream;
class CJDataOutputStream;
class CJInputStream;
class CJOutputStream;
class TorvVeskClient;

class TorvVeskClientWrapper {
 public:
  TorvVeskClientWrapper();
  TorvVeskClientWrapper(const TorvVeskClientWrapper&) = delete;
  TorvVeskClientWrapper& operator=(const TorvVeskClientWrapper&) = delete;
  // Releases whatever the record still holds (see releaseSession), swallowing failures.
  virtual ~TorvVeskClientWrapper();

  // Releases the session, and with it the raw data streams it took over, without any host
  // call. A session whose release fails stays in place and the failure propagates. The
  // secure streams are the session's.
  void releaseSession();

  void storeFailureText(const char* text) { torv::vesk::storeFailureText(lastErrorMessage, text); }

  CJDataInputStream* dataInputStream = nullptr;
  CJDataOutputStream* dataOutputStream = nullptr;
  CJInputStream* secureInputStream = nullptr;
  CJOutputStream* secureOutputStream = nullptr;
  TorvVeskClient* session = nullptr;
  char lastErrorMessage[torv::vesk::kFailureTextSize];

 private:
  // Marks the callback input stream closed so that releasing it makes no host call.
  void silenceCallbacks();
};
