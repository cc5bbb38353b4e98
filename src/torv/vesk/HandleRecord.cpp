// SPDX-License-Identifier: Apache-2.0
#include "torv/vesk/HandleRecord.h"

#include <cstring>

#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "stream/exceptions.h"
#include "torv/vesk/TorvVeskClient.h"
#include "transport/TorvFuncInputStream.h"
#include "transport/TorvFuncOutputStream.h"

void SessionRelease::operator()(TorvVeskClient* session) const noexcept {
  try {
    session->release();
  } catch (...) {
  }
}

HandleRecord::HandleRecord() { std::memset(lastErrorMessage_, 0, sizeof lastErrorMessage_); }

HandleRecord::~HandleRecord() = default;

void HandleRecord::attachInput(std::unique_ptr<TorvFuncInputStream> callbacks) {
  // Counted as closed from the start, so that releasing it makes no host call; close still
  // reaches the host.
  callbacks->abandon();
  std::unique_ptr<CJDataInputStream> data(new CJDataInputStream(callbacks.get(), 1));
  callbacks.release();
  dataInputStream_.own(std::move(data));
}

void HandleRecord::attachOutput(std::unique_ptr<TorvFuncOutputStream> callbacks) {
  std::unique_ptr<CJDataOutputStream> data(new CJDataOutputStream(callbacks.get(), 1));
  callbacks.release();
  dataOutputStream_.own(std::move(data));
}

void HandleRecord::installSession(SessionPtr session) {
  if (session_ != nullptr) throw CZException("the handle already has a session");
  session_ = std::move(session);
}

void HandleRecord::releaseSession() {
  if (session_ == nullptr) return;
  session_->release();
  static_cast<void>(session_.release());  // released just above
}

// A session may adopt a raw stream whether its negotiation returns or throws.
class HandleRecord::AdoptionCheck {
 public:
  explicit AdoptionCheck(HandleRecord& record) : record_(record) {}
  ~AdoptionCheck() { record_.noteAdoptions(); }
  AdoptionCheck(const AdoptionCheck&) = delete;
  AdoptionCheck& operator=(const AdoptionCheck&) = delete;

 private:
  HandleRecord& record_;
};

CJInputStream* HandleRecord::negotiateInput(CJTorvAttributeList& attributes) {
  const AdoptionCheck check(*this);
  return session_->createSecureInputStream(dataInputStream_.get(), &attributes);
}

CJOutputStream* HandleRecord::negotiateOutput(CJTorvAttributeList& attributes) {
  const AdoptionCheck check(*this);
  return session_->createSecureOutputStream(dataOutputStream_.get(), &attributes);
}

void HandleRecord::noteAdoptions() noexcept {
  if (session_->keeps(dataInputStream_.get())) dataInputStream_.handOver();
  if (session_->keeps(dataOutputStream_.get())) dataOutputStream_.handOver();
}
