// SPDX-License-Identifier: Apache-2.0
#include "platform/thread_failures.h"

#include "platform/code_page.h"

namespace torv::platform {

void prepareThreadForFailures() {
  const int kept = lastError();  // before anything below can touch it
  thread_local bool prepared = false;
  if (!prepared) {
    // The first exception raised on a thread sets up the runtime's unwinding state for it; let
    // that happen here, where nothing is lost, rather than under a host's failure.
    try {
      throw prepared;
    } catch (bool) {
    }
    prepared = true;
  }
  setLastError(kept);
}

}  // namespace torv::platform
