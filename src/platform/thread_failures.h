// Readiness of the calling thread to raise and catch failures without losing its last error.
#pragma once

namespace torv::platform {

// Sets up the calling thread's exception state now, before anything can fail on it. Where that
// state is made on first use (the C++ runtime of the Windows DLLs keeps it in thread-local storage
// made on demand), making it resets the thread's last error; done after a host callback failed, it
// would wipe the code the failure text must carry. Cheap once the state exists.
void prepareThreadForFailures();

}  // namespace torv::platform
