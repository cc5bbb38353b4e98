// SPDX-License-Identifier: Apache-2.0
// What a handle's record holds, for tests: reached through the record's own handle mapping.
#pragma once

#include "torv/vesk/HandleRecord.h"
#include "torv/vesk/TorvVeskClient.h"
#include "torv_vesk_client.h"

namespace torv::testing {

inline HandleRecord& recordOf(TorvVeskClientHandle handle) { return *HandleRecord::of(handle); }

inline TorvVeskClient& sessionOf(TorvVeskClientHandle handle) { return recordOf(handle).session(); }

// Replaces the handle's session (which must not have adopted a raw stream).
inline void replaceSession(TorvVeskClientHandle handle, TorvVeskClient* replacement) {
  recordOf(handle).releaseSession();
  recordOf(handle).installSession(SessionPtr(replacement));
}

}  // namespace torv::testing
