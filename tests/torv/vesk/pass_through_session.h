// SPDX-License-Identifier: Apache-2.0
// A session that hands the raw data streams out as the secure ones, so that every read and write
// export reaches the host's callbacks; the output one can be withheld.
#pragma once

#include "torv/vesk/TorvVeskClientSession.h"

namespace torv::testing {

class PassThroughSession : public TorvVeskClientSession {
 public:
  CJInputStream* createSecureInputStream(CJDataInputStream* in, CJTorvAttributeList* attributes) override {
    TorvVeskClientSession::createSecureInputStream(in, attributes);
    return in;
  }
  CJOutputStream* createSecureOutputStream(CJDataOutputStream* out, CJTorvAttributeList* attributes) override {
    TorvVeskClientSession::createSecureOutputStream(out, attributes);
    return handOutOutput ? out : nullptr;
  }
  bool handOutOutput = true;
};

}  // namespace torv::testing
