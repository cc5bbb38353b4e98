// SPDX-License-Identifier: Apache-2.0
#include "torv/vesk/TorvVeskClient.h"

TorvVeskClient::TorvVeskClient() = default;

TorvVeskClient::~TorvVeskClient() = default;

CJInputStream* TorvVeskClient::createSecureInputStream(CJDataInputStream* in, CJTorvAttributeList* attributes) {
  attributes->read(in);
  receivedAttributes_.putAll(*attributes);
  // The stream becomes ours; one we kept earlier and are now given no longer would be lost.
  if (inputStream_.get() != in) inputStream_.reset(in);
  return nullptr;
}

CJOutputStream* TorvVeskClient::createSecureOutputStream(CJDataOutputStream* out, CJTorvAttributeList* attributes) {
  attributes->write(out);
  sentAttributes_.putAll(*attributes);
  if (outputStream_.get() != out) outputStream_.reset(out);
  return nullptr;
}

void TorvVeskClient::release() { delete this; }
