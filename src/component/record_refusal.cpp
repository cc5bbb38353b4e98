#include "component/record_refusal.h"

#if defined(_WIN32)
#include <windows.h>

#include "torvc_pdf417.h"
#else
#include <stdexcept>
#endif

namespace torv::component {

#if defined(_WIN32)
void refuseRecord(const char* /*what*/, int length) {
  // Continuable, so that a handler may also just let readMe return. Neither this frame nor
  // readMe's holds anything to clean up, so a host's __except may unwind straight through them.
  const ULONG_PTR argument = static_cast<ULONG_PTR>(static_cast<LONG_PTR>(length));
  RaiseException(TORVC_PDF417_BAD_RECORD_EXCEPTION, 0, 1, &argument);
}
#else
void refuseRecord(const char* what, int /*length*/) { throw std::invalid_argument(what); }
#endif

}  // namespace torv::component
