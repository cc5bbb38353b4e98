// SPDX-License-Identifier: Apache-2.0
// The session that a new handle installs: it exchanges the attribute lists in the clear, sets
// up no secure stream and keeps none of the raw streams it is given.
#pragma once

#include "torv/vesk/TorvVeskClient.h"

class TorvVeskClientSession : public TorvVeskClient {
 public:
  TorvVeskClientSession() = default;
  ~TorvVeskClientSession() override;

  // Reads the server's list into attributes and merges it into the received list; null.
  CJInputStream* createSecureInputStream(CJDataInputStream* in, CJTorvAttributeList* attributes) override;
  // Merges attributes into the sent list first, then writes them to out; null.
  CJOutputStream* createSecureOutputStream(CJDataOutputStream* out, CJTorvAttributeList* attributes) override;
};
