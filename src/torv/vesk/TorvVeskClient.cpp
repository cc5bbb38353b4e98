#include "torv/vesk/TorvVeskClient.h"

#include <memory>

#include "attributes/CJTorvAttributeList.h"

TorvVeskClient::TorvVeskClient() {
  std::unique_ptr<CJTorvAttributeList> received(new CJTorvAttributeList());
  sentAttributes_ = new CJTorvAttributeList();
  receivedAttributes_ = received.release();
}

namespace {
template <typename T>
void releaseField(T*& field) {
  delete field;
  field = nullptr;
}
}  // namespace

TorvVeskClient::~TorvVeskClient() {
  releaseField(receivedAttributes_);
  releaseField(sentAttributes_);
  releaseField(inputStream_);
  releaseField(outputStream_);
  releaseField(reservedStream1_);
  releaseField(reservedStream2_);
}

CJInputStream* TorvVeskClient::createSecureInputStream(CJDataInputStream* in, CJTorvAttributeList* attributes) {
  attributes->read(in);
  receivedAttributes_->putAll(*attributes);
  // The stream becomes ours; one we kept earlier and are now given no longer would be lost.
  if (inputStream_ != in) {
    delete inputStream_;
    inputStream_ = in;
  }
  return nullptr;
}

CJOutputStream* TorvVeskClient::createSecureOutputStream(CJDataOutputStream* out, CJTorvAttributeList* attributes) {
  attributes->write(out);
  sentAttributes_->putAll(*attributes);
  if (outputStream_ != out) {
    delete outputStream_;
    outputStream_ = out;
  }
  return nullptr;
}

void TorvVeskClient::release() { delete this; }
