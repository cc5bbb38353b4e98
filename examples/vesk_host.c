// SPDX-License-Identifier: Apache-2.0
/* A minimal host of the client library, in C: loads the library by name, hands it a connection
 * as nine callbacks (here an in-memory one: the "server" has sent an attribute list, and what the
 * library writes is buffered until a flush sends it), creates a handle, runs both negotiations,
 * shows a failure text and destroys the handle.
 *
 * Usage: vesk_host [library]   (default: libTorvVeskClientSession.so, or
 *                               TorvVeskClientSession.dll on Windows)
 * Exit status 0 when every step gave what the integration guide says. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "torv_vesk_client.h"

#if defined(_WIN32)
#include <windows.h>
#define LIBRARY_NAME "TorvVeskClientSession.dll"
typedef HMODULE Library;
static Library openLibrary(const char* path) { return LoadLibraryA(path); }
static void* entry(Library library, const char* name) { return (void*)GetProcAddress(library, name); }
static void closeLibrary(Library library) { FreeLibrary(library); }
#else
#include <dlfcn.h>
#define LIBRARY_NAME "libTorvVeskClientSession.so"
typedef void* Library;
static Library openLibrary(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
static void* entry(Library library, const char* name) { return dlsym(library, name); }
static void closeLibrary(Library library) { dlclose(library); }
#endif

/* --- The connection: what the server sent, and what the library wrote. -------------------- */

typedef struct Connection {
  const unsigned char* incoming;
  int incomingLength, position;
  unsigned char pending[256]; /* written, not yet sent: the host buffers its writes */
  int pendingLength;
  unsigned char outgoing[256]; /* sent to the server */
  int outgoingLength;
} Connection;

/* The context value is a 32-bit int, too small for a pointer on 64-bit systems: it indexes a
 * table of the host's connections instead. */
static Connection connections[1];

static int TORV_VESK_CALL readByte(int context, unsigned char* byte, int* count) {
  Connection* c = &connections[context];
  if (c->position >= c->incomingLength) return -1; /* failure: the library asks errorMessage */
  *byte = c->incoming[c->position++];
  *count = 1;
  return 0;
}
static int TORV_VESK_CALL readBArray(int context, char* destination, int length, int* count) {
  Connection* c = &connections[context];
  int n = c->incomingLength - c->position;
  if (n <= 0) {
    *count = -1; /* end of stream */
    return 0;
  }
  if (n > length) n = length;
  memcpy(destination, c->incoming + c->position, (size_t)n);
  c->position += n;
  *count = n;
  return 0;
}
static int TORV_VESK_CALL available(int context, int* count) {
  *count = connections[context].incomingLength - connections[context].position;
  return 0;
}
static int TORV_VESK_CALL readClose(int context, int reason) {
  (void)context;
  (void)reason;
  return 0;
}
/* The library writes a negotiated list one byte per writeByte call and never calls flush: a host
 * that buffers must send what is pending itself once createSecureOutputStream has returned. */
static int TORV_VESK_CALL writeByte(int context, int value) {
  Connection* c = &connections[context];
  if (c->pendingLength >= (int)sizeof c->pending) return -1;
  c->pending[c->pendingLength++] = (unsigned char)value;
  return 0;
}
static int TORV_VESK_CALL writeBArray(int context, const char* source, int length) {
  Connection* c = &connections[context];
  if (length < 0 || length > (int)sizeof c->pending - c->pendingLength) return -1;
  memcpy(c->pending + c->pendingLength, source, (size_t)length);
  c->pendingLength += length;
  return 0;
}
static int TORV_VESK_CALL flush(int context) {
  Connection* c = &connections[context];
  if (c->pendingLength > (int)sizeof c->outgoing - c->outgoingLength) return -1;
  memcpy(c->outgoing + c->outgoingLength, c->pending, (size_t)c->pendingLength);
  c->outgoingLength += c->pendingLength;
  c->pendingLength = 0;
  return 0;
}
static int TORV_VESK_CALL writeClose(int context) {
  (void)context;
  return 0;
}
static const char* TORV_VESK_CALL errorMessage(int context) {
  (void)context;
  return "example connection: no more data";
}

/* --- Attribute lists on the wire: a 32-bit count, then each name and value as a 32-bit count of
 *     UTF-16 units and the units, everything big-endian. ASCII texts only, for brevity. ---- */

static int putInt(unsigned char* out, int at, unsigned long value) {
  out[at] = (unsigned char)(value >> 24);
  out[at + 1] = (unsigned char)(value >> 16);
  out[at + 2] = (unsigned char)(value >> 8);
  out[at + 3] = (unsigned char)value;
  return at + 4;
}
static int putText(unsigned char* out, int at, const char* text) {
  size_t n = strlen(text);
  at = putInt(out, at, (unsigned long)n);
  for (size_t i = 0; i < n; ++i) {
    out[at++] = 0;
    out[at++] = (unsigned char)text[i];
  }
  return at;
}
/* names and values alternate; returns the byte count. */
static int attributeList(unsigned char* out, const char* const* texts, int pairs) {
  int at = putInt(out, 0, (unsigned long)pairs);
  for (int i = 0; i < 2 * pairs; ++i) at = putText(out, at, texts[i]);
  return at;
}

static int failures = 0;

static void check(int condition, const char* what) {
  printf("%s: %s\n", condition ? "ok  " : "FAIL", what);
  if (!condition) ++failures;
}

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : LIBRARY_NAME;
  Library library = openLibrary(path);
  if (library == NULL) {
    fprintf(stderr, "cannot load %s\n", path);
    return 1;
  }
  PFN_TorvVeskClient_create create = (PFN_TorvVeskClient_create)entry(library, "TorvVeskClient_create");
  PFN_TorvVeskClient_destroy destroy = (PFN_TorvVeskClient_destroy)entry(library, "TorvVeskClient_destroy");
  PFN_TorvVeskClient_createSecureInputStream secureInput =
      (PFN_TorvVeskClient_createSecureInputStream)entry(library, "TorvVeskClient_createSecureInputStream");
  PFN_TorvVeskClient_createSecureOutputStream secureOutput =
      (PFN_TorvVeskClient_createSecureOutputStream)entry(library, "TorvVeskClient_createSecureOutputStream");
  PFN_TorvVeskClient_writeByte writeOne = (PFN_TorvVeskClient_writeByte)entry(library, "TorvVeskClient_writeByte");
  PFN_TorvVeskClient_getLastErrorMessage lastError =
      (PFN_TorvVeskClient_getLastErrorMessage)entry(library, "TorvVeskClient_getLastErrorMessage");
  PFN_TorvVeskClient_free_memory freeMemory =
      (PFN_TorvVeskClient_free_memory)entry(library, "TorvVeskClient_free_memory");
  if (!create || !destroy || !secureInput || !secureOutput || !writeOne || !lastError || !freeMemory) {
    fprintf(stderr, "%s lacks an entry point\n", path);
    return 1;
  }

  static const char* const initial[] = {"TORV_SERVER_IP", "127.0.0.1", "TORV_SERVER_URL", "/reports"};
  static const char* const fromServer[] = {"SERVER_NAME", "example"};
  static const char* const fromHost[] = {"CLIENT", "vesk_host", "LANGUAGE", "C"};
  unsigned char initialBytes[128], serverBytes[64], hostBytes[128];
  int initialLength = attributeList(initialBytes, initial, 2);
  int serverLength = attributeList(serverBytes, fromServer, 1);
  int hostLength = attributeList(hostBytes, fromHost, 2);
  connections[0].incoming = serverBytes;
  connections[0].incomingLength = serverLength;

  /* 1. A handle: no host call is made yet. The initial bytes stay the host's. */
  TorvVeskClientHandle handle = NULL;
  int result = create((const char*)initialBytes, initialLength, 0, readByte, readBArray, available, readClose,
                      writeByte, writeBArray, flush, writeClose, errorMessage, &handle);
  check(result == 1001 && handle != NULL, "TorvVeskClient_create returns 1001 and a handle");
  if (handle == NULL) return 1;

  /* 2. The server's list, handed back serialised (plus one zero byte); the host releases it
   *    with TorvVeskClient_free_memory, never with its own free(). */
  char* received = NULL;
  int receivedLength = 0;
  result = secureInput(handle, &received, &receivedLength);
  check(result == 0, "createSecureInputStream returns 0: the list came in the clear");
  check(received != NULL && receivedLength == serverLength &&
            memcmp(received, serverBytes, (size_t)serverLength) == 0 && received[receivedLength] == 0,
        "the server's list comes back as sent, followed by a zero byte");
  freeMemory(received);

  /* 3. The host's list goes out over writeByte/writeBArray, without a flush: the host sends its
   *    buffered bytes itself once the call has returned, successful or not. */
  result = secureOutput(handle, (const char*)hostBytes, hostLength);
  check(result == 0, "createSecureOutputStream returns 0");
  check(connections[0].outgoingLength == 0 && connections[0].pendingLength == hostLength,
        "the library wrote the list and did not flush");
  check(flush(0) == 0, "the host flushes its connection after createSecureOutputStream");
  check(connections[0].outgoingLength == hostLength &&
            memcmp(connections[0].outgoing, hostBytes, (size_t)hostLength) == 0,
        "the host's list was sent to the server");

  /* 4. No secure stream is in place, so a write fails: -30000 and a failure text the handle owns. */
  result = writeOne(handle, 'x');
  const char* text = lastError(handle);
  printf("writeByte: %d, failure text: %s\n", result, text);
  check(result == -30000 && strncmp(text, "TorvVeskClient_writeByte: unknown exception occured:", 52) == 0,
        "writeByte without a secure stream returns -30000 with its failure text");

  /* 5. destroy releases everything and calls no host function. */
  check(destroy(handle) == 1, "TorvVeskClient_destroy returns 1");
  check(destroy(NULL) == -100000, "TorvVeskClient_destroy(NULL) returns -100000");

  closeLibrary(library);
  printf("%s\n", failures == 0 ? "vesk_host: all steps as documented" : "vesk_host: FAILED");
  return failures == 0 ? 0 : 1;
}
