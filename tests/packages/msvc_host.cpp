// SPDX-License-Identifier: Apache-2.0
// A host built the way Microsoft's toolchain builds one (clang for *-pc-windows-msvc, linked by
// lld-link against the packages' <name>.lib import libraries), without a C runtime: it proves
// that the MSVC-format import libraries resolve every name and load both DLLs. The exit code is
// the number of failed calls. scripts/check_packages.py builds and runs it from each Windows ZIP.
#include "torv_vesk_client.h"
#include "torvc_pdf417.h"

extern "C" __declspec(dllimport) void __stdcall ExitProcess(unsigned int code);

namespace {

bool startsWith(const char* text, const char* prefix) {
  while (*prefix != 0) {
    if (*text++ != *prefix++) return false;
  }
  return true;
}

unsigned int failedCalls() {
  unsigned int failed = 0;
  TorvPdf417Comp* instance = GetNewInstance();
  if (instance == nullptr) return 1;
  char16_t buffer[16] = {};
  if (getAttrListLength() != 5) ++failed;
  if (setAttr(instance, u"PDF417_ROWNUM", u"7") != 1) ++failed;
  if (getAttr(instance, u"PDF417_ROWNUM", buffer, 16) != 1 || buffer[0] != u'7' || buffer[1] != 0) ++failed;
  DeleteInstance(instance);

  static const char emptyList[4] = {0, 0, 0, 0};
  TorvVeskClientHandle handle = nullptr;
  if (TorvVeskClient_create(emptyList, 4, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, &handle) != 1001) {
    return failed + 1;
  }
  if (TorvVeskClient_flush(handle) != -30000) ++failed;
  if (!startsWith(TorvVeskClient_getLastErrorMessage(handle), "TorvVeskClient_flush: ")) ++failed;
  if (TorvVeskClient_destroy(handle) != 1) ++failed;
  if (TorvVeskClient_destroy(nullptr) != -100000) ++failed;
  return failed;
}

}  // namespace

extern "C" void start() { ExitProcess(failedCalls()); }
