#include "platform/thread_failures.h"

#include <exception>

#include "platform/code_page.h"

namespace torv::platform {

void prepareThreadForFailures() {
  const int kept = lastError();
  // Asking for the count reaches the thread's exception state and so creates it.
  static_cast<void>(std::uncaught_exceptions());
  setLastError(kept);
}

}  // namespace torv::platform
