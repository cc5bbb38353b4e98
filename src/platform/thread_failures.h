// SPDX-License-Identifier: Apache-2.0
// Readiness of the calling thread to raise and catch failures without losing its last error.
#pragma once

namespace torv::platform {

// Sets up the calling thread's exception handling now, before anything can fail on it. Where that
// state is made on first use (the C++ runtime of the Windows DLLs sets it up on the first throw),
// making it resets the thread's last error; done after a host callback failed, it
// would wipe the code the failure text must carry. Cheap once the state exists.
void prepareThreadForFailures();

}  // namespace torv::platform
