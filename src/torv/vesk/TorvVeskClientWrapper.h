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
  // Releases the session and the raw data streams it did not take over (with the callback
  // streams beneath them) without any host call. The secure streams are the session's.
  virtual ~TorvVeskClientWrapper();

  void storeFailureText(const char* text) { torv::vesk::storeFailureText(lastErrorMessage, text); }

  CJDataInputStream* dataInputStream = nullptr;
  CJDataOutputStream* dataOutputStream = nullptr;
  CJInputStream* secureInputStream = nullptr;
  CJOutputStream* secureOutputStream = nullptr;
  TorvVeskClient* session = nullptr;
  char lastErrorMessage[torv::vesk::kFailureTextSize];
};
