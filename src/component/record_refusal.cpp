// SPDX-License-Identifier: Apache-2.0
#include "component/record_refusal.h"

#if defined(_WIN32)
#include <windows.h>

#include "torvc_pdf417.h"
#else
#include <stdexcept>
#endif

namespace torv::component {

#if defined(_WIN32)
void refuseRecord(RecordRefusal /*reason*/, int length) {
  // Continuable, so that a handler may also just let readMe return. Neither this frame nor
  // readMe's holds anything to clean up, so a host's __except may unwind straight through them.
  const ULONG_PTR argument = static_cast<ULONG_PTR>(static_cast<LONG_PTR>(length));
  RaiseException(TORVC_PDF417_BAD_RECORD_EXCEPTION, 0, 1, &argument);
}
#else
namespace {

// Built when the library loads: throwing copies them, and copying a standard exception never
// allocates, so a host short of memory still gets the documented std::invalid_argument and not a
// std::bad_alloc from making its message.
const std::invalid_argument kWrongRecordLength("readMe: a saved record is exactly 20 bytes");
const std::invalid_argument kNoRecord("readMe: no instance or no record");

}  // namespace

void refuseRecord(RecordRefusal reason, int /*length*/) {
  if (reason == RecordRefusal::kNoRecord) throw kNoRecord;
  throw kWrongRecordLength;
}
#endif

}  // namespace torv::component
