// SPDX-License-Identifier: Apache-2.0
#include "torv/vesk/TorvVeskClientSession.h"

#include "attributes/CJTorvAttributeList.h"

TorvVeskClientSession::~TorvVeskClientSession() = default;

CJInputStream* TorvVeskClientSession::createSecureInputStream(CJDataInputStream* in, CJTorvAttributeList* attributes) {
  attributes->read(in);
  receivedList()->putAll(*attributes);
  return nullptr;
}

CJOutputStream* TorvVeskClientSession::createSecureOutputStream(CJDataOutputStream* out,
                                                                CJTorvAttributeList* attributes) {
  sentList()->putAll(*attributes);
  attributes->write(out);
  return nullptr;
}
