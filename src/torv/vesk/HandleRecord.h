// SPDX-License-Identifier: Apache-2.0
// The record behind a client handle: the raw data streams over the host's callbacks, the
// secure streams the session handed out, the session and the last failure text.
#pragma once

#include <memory>

#include "torv/vesk/FailureText.h"
#include "torv/vesk/OwnedUntilAdopted.h"
#include "torv_vesk_client.h"

class CJDataInputStream;
class CJDataOutputStream;
class CJInputStream;
class CJOutputStream;
class CJTorvAttributeList;
class TorvFuncInputStream;
class TorvFuncOutputStream;
class TorvVeskClient;

// Releases a session through its own release operation; a failure there is swallowed, since
// this runs only where nothing can be reported (a record that is going away anyway).
struct SessionRelease {
  void operator()(TorvVeskClient* session) const noexcept;
};
using SessionPtr = std::unique_ptr<TorvVeskClient, SessionRelease>;

class HandleRecord {
 public:
  HandleRecord();
  HandleRecord(const HandleRecord&) = delete;
  HandleRecord& operator=(const HandleRecord&) = delete;
  // Releases the session, then the raw data streams it did not adopt. Makes no host call.
  virtual ~HandleRecord();

  // The handle is the record's address; these are the only places that convert.
  static HandleRecord* of(TorvVeskClientHandle handle) { return reinterpret_cast<HandleRecord*>(handle); }
  TorvVeskClientHandle handle() { return reinterpret_cast<TorvVeskClientHandle>(this); }

  // Wrap the host's callback streams in the raw data streams, which the record owns from then on.
  // Releasing the record (or a session that adopted the input) never tells the host: a released
  // handle is no close of the connection.
  void attachInput(std::unique_ptr<TorvFuncInputStream> callbacks);
  void attachOutput(std::unique_ptr<TorvFuncOutputStream> callbacks);

  // Installs the session into a record that has none.
  void installSession(SessionPtr session);
  bool hasSession() const { return session_ != nullptr; }
  TorvVeskClient& session() { return *session_; }
  // Releases the session, and with it the raw streams it adopted, without any host call. A
  // session whose release fails stays in place and the failure propagates.
  void releaseSession();

  // Negotiate over the raw data streams through the session and return what it hands out (the
  // session's). A raw stream the session keeps afterwards is adopted (see noteAdoptions).
  CJInputStream* negotiateInput(CJTorvAttributeList& attributes);
  CJOutputStream* negotiateOutput(CJTorvAttributeList& attributes);

  // The secure streams in place (null for none); they stay the session's.
  CJInputStream* secureInputStream() const { return secureInputStream_; }
  CJOutputStream* secureOutputStream() const { return secureOutputStream_; }
  void setSecureInputStream(CJInputStream* stream) { secureInputStream_ = stream; }
  void setSecureOutputStream(CJOutputStream* stream) { secureOutputStream_ = stream; }

  // Whether the raw streams are still the record's to release, or adopted by the session.
  bool ownsDataInputStream() const { return dataInputStream_.owned(); }
  bool ownsDataOutputStream() const { return dataOutputStream_.owned(); }

  const char* lastErrorMessage() const { return lastErrorMessage_; }
  void storeFailureText(const char* text) { torv::vesk::storeFailureText(lastErrorMessage_, text); }
  void storeComposedFailureText(const torv::vesk::CaptureSite& site, int lastError) {
    torv::vesk::storeComposedFailureText(lastErrorMessage_, site, lastError);
  }

 private:
  // The one step where ownership of a raw stream moves: after every negotiation, also one that
  // failed, a stream that the session now keeps becomes the session's to release.
  void noteAdoptions() noexcept;
  class AdoptionCheck;  // calls noteAdoptions when a negotiation ends, either way

  // Destroyed in reverse: the session goes before the raw streams it may still refer to.
  OwnedUntilAdopted<CJDataInputStream> dataInputStream_;
  OwnedUntilAdopted<CJDataOutputStream> dataOutputStream_;
  CJInputStream* secureInputStream_ = nullptr;
  CJOutputStream* secureOutputStream_ = nullptr;
  SessionPtr session_;
  char lastErrorMessage_[torv::vesk::kFailureTextSize];
};
