// SPDX-License-Identifier: Apache-2.0
/* A host that links both libraries at build time instead of loading them by name: with
 * -lTorvVeskClientSession -ltorvc_pdf417 (pkg-config, or the CMake targets Torv::...) on Linux,
 * through the import libraries on Windows (lib<name>.dll.a for mingw-w64, <name>.lib for
 * Microsoft's linker and lld-link).
 *
 * Usage: linked_host        Exit status 0 when every call gave what the integration guide says. */
#include <stdio.h>
#include <string.h>

#include "torv_vesk_client.h"
#include "torvc_pdf417.h"

static int failures = 0;

static void check(int condition, const char* what) {
  printf("%s: %s\n", condition ? "ok  " : "FAIL", what);
  if (!condition) ++failures;
}

int main(void) {
  printf("headers of release %s\n", TORVC_PDF417_VERSION);

  /* The plug-in: an instance, one attribute set and read back. */
  static const char16_t columns[] = u"PDF417_COLNUM";
  char16_t buffer[16] = {0};
  TorvPdf417Comp* instance = GetNewInstance();
  check(instance != NULL, "GetNewInstance returns an instance");
  check(getAttrListLength() == 5, "getAttrListLength returns 5");
  check(setAttr(instance, columns, u"12") == 1, "setAttr PDF417_COLNUM 12 returns 1");
  check(getAttr(instance, columns, buffer, 16) == 1 && buffer[0] == u'1' && buffer[1] == u'2' && buffer[2] == 0,
        "getAttr gives back \"12\"");
  DeleteInstance(instance);

  /* The client library: a handle from an empty attribute list. No secure stream is in place,
   * so a flush fails with the library's fixed failure text. */
  static const char emptyList[4] = {0, 0, 0, 0};
  TorvVeskClientHandle handle = NULL;
  check(TorvVeskClient_create(emptyList, 4, 0, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, &handle) == 1001 &&
            handle != NULL,
        "TorvVeskClient_create returns 1001 and a handle");
  check(TorvVeskClient_flush(handle) == -30000, "TorvVeskClient_flush without a secure stream returns -30000");
  check(
      strncmp(TorvVeskClient_getLastErrorMessage(handle), "TorvVeskClient_flush: unknown exception occured:", 48) == 0,
      "the failure text names TorvVeskClient_flush");
  check(TorvVeskClient_destroy(handle) == 1, "TorvVeskClient_destroy returns 1");
  check(TorvVeskClient_destroy(NULL) == -100000, "TorvVeskClient_destroy(NULL) returns -100000");

  printf("%s\n", failures == 0 ? "linked_host: all calls as documented" : "linked_host: FAILED");
  return failures == 0 ? 0 : 1;
}
