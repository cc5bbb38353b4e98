/* SPDX-License-Identifier: Apache-2.0 */
/* A host that loads both libraries by name and keeps every entry point in a file-scope pointer
 * named exactly like the function. With the prototypes in the way this would not compile. */
#define TORV_VESK_CLIENT_NO_PROTOTYPES
#define TORVC_PDF417_NO_PROTOTYPES
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

#include "torv_vesk_client.h"
#include "torvc_pdf417.h"

static PFN_TorvVeskClient_create TorvVeskClient_create;
static PFN_TorvVeskClient_destroy TorvVeskClient_destroy;
static PFN_TorvVeskClient_createSecureInputStream TorvVeskClient_createSecureInputStream;
static PFN_TorvVeskClient_createSecureOutputStream TorvVeskClient_createSecureOutputStream;
static PFN_TorvVeskClient_readByte TorvVeskClient_readByte;
static PFN_TorvVeskClient_readBArray TorvVeskClient_readBArray;
static PFN_TorvVeskClient_available TorvVeskClient_available;
static PFN_TorvVeskClient_readClose TorvVeskClient_readClose;
static PFN_TorvVeskClient_writeByte TorvVeskClient_writeByte;
static PFN_TorvVeskClient_writeBArray TorvVeskClient_writeBArray;
static PFN_TorvVeskClient_flush TorvVeskClient_flush;
static PFN_TorvVeskClient_WriteClose TorvVeskClient_WriteClose;
static PFN_TorvVeskClient_getLastErrorMessage TorvVeskClient_getLastErrorMessage;
static PFN_TorvVeskClient_free_memory TorvVeskClient_free_memory;

static PFN_TorvcPdf417_GetNewInstance GetNewInstance;
static PFN_TorvcPdf417_GetCopyInstance GetCopyInstance;
static PFN_TorvcPdf417_DeleteInstance DeleteInstance;
static PFN_TorvcPdf417_getAttrListLength getAttrListLength;
static PFN_TorvcPdf417_getAttrList getAttrList;
static PFN_TorvcPdf417_getAttrLength getAttrLength;
static PFN_TorvcPdf417_getAttr getAttr;
static PFN_TorvcPdf417_setAttr setAttr;
static PFN_TorvcPdf417_writeMe writeMe;
static PFN_TorvcPdf417_readMe readMe;
static PFN_TorvcPdf417_getAutosize getAutosize;
static PFN_TorvcPdf417_paint paint;
static PFN_TorvcPdf417_print print;

static int missing = 0;

/* Object and function pointers share one representation on the platforms dlsym serves. */
#define LOAD(library, name)                                     \
  do {                                                          \
    void* symbol = dlsym(library, #name);                       \
    if (symbol == NULL) {                                       \
      fprintf(stderr, "loaded_host: %s not exported\n", #name); \
      ++missing;                                                \
    }                                                           \
    *(void**)(&name) = symbol;                                  \
  } while (0)

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: loaded_host CLIENT-LIBRARY PLUGIN-LIBRARY\n");
    return 2;
  }
  void* client = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  void* plugin = dlopen(argv[2], RTLD_NOW | RTLD_LOCAL);
  if (client == NULL || plugin == NULL) {
    fprintf(stderr, "loaded_host: %s\n", dlerror());
    return 1;
  }
  LOAD(client, TorvVeskClient_create);
  LOAD(client, TorvVeskClient_destroy);
  LOAD(client, TorvVeskClient_createSecureInputStream);
  LOAD(client, TorvVeskClient_createSecureOutputStream);
  LOAD(client, TorvVeskClient_readByte);
  LOAD(client, TorvVeskClient_readBArray);
  LOAD(client, TorvVeskClient_available);
  LOAD(client, TorvVeskClient_readClose);
  LOAD(client, TorvVeskClient_writeByte);
  LOAD(client, TorvVeskClient_writeBArray);
  LOAD(client, TorvVeskClient_flush);
  LOAD(client, TorvVeskClient_WriteClose);
  LOAD(client, TorvVeskClient_getLastErrorMessage);
  LOAD(client, TorvVeskClient_free_memory);
  LOAD(plugin, GetNewInstance);
  LOAD(plugin, GetCopyInstance);
  LOAD(plugin, DeleteInstance);
  LOAD(plugin, getAttrListLength);
  LOAD(plugin, getAttrList);
  LOAD(plugin, getAttrLength);
  LOAD(plugin, getAttr);
  LOAD(plugin, setAttr);
  LOAD(plugin, writeMe);
  LOAD(plugin, readMe);
  LOAD(plugin, getAutosize);
  LOAD(plugin, paint);
  LOAD(plugin, print);
  if (missing != 0) return 1;

  /* A few calls through the pointers, so that a pointer type that drifted would show. */
  int failures = 0;
  TorvVeskClientHandle handle = NULL;
  const char empty[4] = {0, 0, 0, 0};
  if (TorvVeskClient_create(empty, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, &handle) != 1001 || handle == NULL) ++failures;
  if (TorvVeskClient_flush(handle) != -30000) ++failures;
  if (TorvVeskClient_getLastErrorMessage(handle)[0] == '\0') ++failures;
  if (TorvVeskClient_destroy(handle) != 1) ++failures;
  if (TorvVeskClient_destroy(NULL) != -100000) ++failures;
  TorvPdf417Comp* instance = GetNewInstance();
  if (instance == NULL || getAttrListLength() != 5) ++failures;
  int length = 0;
  unsigned char* record = writeMe(instance, &length);
  if (record == NULL || length != 20 || record[7] != 8) ++failures;
  free(record); /* the caller's, from malloc */
  DeleteInstance(instance);
  if (TORVC_PDF417_BAD_RECORD_EXCEPTION != 0xE0417001UL || TORV_VESK_CLIENT_VERSION_MAJOR != 1) ++failures;
  if (failures != 0) fprintf(stderr, "loaded_host: %d calls gave unexpected results\n", failures);
  dlclose(plugin);
  dlclose(client);
  return failures == 0 ? 0 : 1;
}
