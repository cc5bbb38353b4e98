// SPDX-License-Identifier: Apache-2.0
/* Public C interface of the client library TorvVeskClientSession.
 *
 * A host that owns a connection to a report server hands the library nine callback
 * functions over that connection and drives one or more independent client handles
 * through the fourteen functions below. Every function that negotiates, reads, writes,
 * closes, flushes or destroys returns a code and keeps a failure text in the handle:
 *
 *    1001     TorvVeskClient_create: the handle was created
 *       1     success (negotiation: a secure stream of that direction is in place; destroy: released)
 *       0     negotiation succeeded, no secure stream was set up
 *      -1     FuncAvailable failed: the host's FuncErrorMessage text is the failure text
 *  -30000     any other failure, host failures of the other callbacks included: the failure
 *             text is the library's fixed text (also: a null handle, or bad arguments)
 * -100000     TorvVeskClient_destroy with a null handle
 * -200000     TorvVeskClient_destroy with a handle that has no session
 *
 * A host that loads the library by name (dlsym, GetProcAddress) and keeps its entry points in
 * variables named like the functions defines TORV_VESK_CLIENT_NO_PROTOTYPES before including this
 * header: the function declarations are left out; the types, the PFN_ function pointer types and
 * the constants stay.
 */
#ifndef TORV_VESK_CLIENT_H
#define TORV_VESK_CLIENT_H

/* The release these declarations belong to. */
#define TORV_VESK_CLIENT_VERSION_MAJOR 1
#define TORV_VESK_CLIENT_VERSION_MINOR 1
#define TORV_VESK_CLIENT_VERSION_PATCH 0
#define TORV_VESK_CLIENT_VERSION "1.1.0"

/* Hosts see the functions as imported from the DLL; only the library's own build
 * (TORV_VESK_CLIENT_BUILD) exports them. */
#if defined(_WIN32)
#if defined(TORV_VESK_CLIENT_BUILD)
#define TORV_VESK_API __declspec(dllexport)
#else
#define TORV_VESK_API __declspec(dllimport)
#endif
#define TORV_VESK_CALL __cdecl
#else
#define TORV_VESK_API __attribute__((visibility("default")))
#define TORV_VESK_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opaque handle of one client. */
typedef struct TorvVeskClientOpaque* TorvVeskClientHandle;

/* Host callbacks. The first argument is always the host context value given to
 * TorvVeskClient_create. A status result of zero or more means success, a negative one
 * failure; after a failure the library asks FuncErrorMessage for a NUL-terminated
 * modified UTF-8 text, which stays the host's; only after a FuncAvailable failure does that
 * text become the handle's failure text (-1). A C++ host may also throw a text
 * (char*) out of a callback instead of returning a failure.
 *
 * Every read, write, flush and close function must be given: an operation whose function is
 * null fails with -30000, a close too (the stream then counts as closed); releasing a handle
 * never calls a null function. A null FuncErrorMessage makes every host failure text empty. */

/* Reads one byte; on success *count must be exactly 1. */
typedef int(TORV_VESK_CALL* FuncReadByte)(int context, unsigned char* byte, int* count);
/* Reads up to length bytes; stores how many in *count, a negative count at end of stream. */
typedef int(TORV_VESK_CALL* FuncReadBArray)(int context, char* destination, int length, int* count);
/* Stores the number of bytes readable without blocking. */
typedef int(TORV_VESK_CALL* FuncAvailable)(int context, int* available);
/* Closes the input side, with reason 0. Result not examined. Releasing a handle never calls it:
 * reason 1 (released unclosed) is not sent. */
typedef int(TORV_VESK_CALL* FuncReadClose)(int context, int reason);
/* Writes one byte: the low eight bits of value. */
typedef int(TORV_VESK_CALL* FuncWriteByte)(int context, int value);
/* Writes exactly length bytes. */
typedef int(TORV_VESK_CALL* FuncWriteBArray)(int context, const char* source, int length);
/* Flushes the output side. */
typedef int(TORV_VESK_CALL* FuncFlush)(int context);
/* Closes the output side. */
typedef int(TORV_VESK_CALL* FuncWriteClose)(int context);
/* Text that describes the failure the last callback reported. */
typedef const char*(TORV_VESK_CALL* FuncErrorMessage)(int context);

#ifndef TORV_VESK_CLIENT_NO_PROTOTYPES

/* Creates a handle. attributes is a serialised attribute list (32-bit count, then names and
 * values as 32-bit UTF-16 unit counts and big-endian units); its "TORV_SERVER_IP" and
 * "TORV_SERVER_URL" configure the session. Makes no host call. Returns 1001 and stores the
 * handle; returns -30000 and stores NULL when the bytes are short or malformed or memory
 * runs out. */
TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_create(const char* attributes, int attributesLength, int context,
                                                       FuncReadByte readByte, FuncReadBArray readBArray,
                                                       FuncAvailable available, FuncReadClose readClose,
                                                       FuncWriteByte writeByte, FuncWriteBArray writeBArray,
                                                       FuncFlush flush, FuncWriteClose writeClose,
                                                       FuncErrorMessage errorMessage, TorvVeskClientHandle* handle);

/* Releases the handle and everything it built; makes no host call. */
TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_destroy(TorvVeskClientHandle handle);

/* Reads the server's attribute list from the connection and hands it back serialised, with a
 * zero byte after the *attributesLength bytes. Release it with TorvVeskClient_free_memory. */
TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_createSecureInputStream(TorvVeskClientHandle handle, char** attributes,
                                                                        int* attributesLength);

/* Writes the host's serialised attribute list to the connection. */
TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_createSecureOutputStream(TorvVeskClientHandle handle,
                                                                         const char* attributes, int attributesLength);

TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_readByte(TorvVeskClientHandle handle, char* byte, int* count);
TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_readBArray(TorvVeskClientHandle handle, char* destination, int length,
                                                           int* count);
TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_available(TorvVeskClientHandle handle, int* available);
TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_readClose(TorvVeskClientHandle handle);
TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_writeByte(TorvVeskClientHandle handle, unsigned char byte);
TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_writeBArray(TorvVeskClientHandle handle, const char* source,
                                                            int length);
TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_flush(TorvVeskClientHandle handle);
TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_WriteClose(TorvVeskClientHandle handle);

/* The handle's last failure text (at most 4096 bytes, always terminated); an empty text
 * before any failure and for a null handle. Owned by the handle. */
TORV_VESK_API const char* TORV_VESK_CALL TorvVeskClient_getLastErrorMessage(TorvVeskClientHandle handle);

/* Releases bytes handed out by TorvVeskClient_createSecureInputStream. */
TORV_VESK_API void TORV_VESK_CALL TorvVeskClient_free_memory(void* memory);

#endif /* TORV_VESK_CLIENT_NO_PROTOTYPES */

/* Function pointer types of the fourteen exports, for hosts that load the library by name
 * (dlsym, GetProcAddress): PFN_ followed by the exported name. */
typedef int(TORV_VESK_CALL* PFN_TorvVeskClient_create)(const char* attributes, int attributesLength, int context,
                                                       FuncReadByte readByte, FuncReadBArray readBArray,
                                                       FuncAvailable available, FuncReadClose readClose,
                                                       FuncWriteByte writeByte, FuncWriteBArray writeBArray,
                                                       FuncFlush flush, FuncWriteClose writeClose,
                                                       FuncErrorMessage errorMessage, TorvVeskClientHandle* handle);
typedef int(TORV_VESK_CALL* PFN_TorvVeskClient_destroy)(TorvVeskClientHandle handle);
typedef int(TORV_VESK_CALL* PFN_TorvVeskClient_createSecureInputStream)(TorvVeskClientHandle handle, char** attributes,
                                                                        int* attributesLength);
typedef int(TORV_VESK_CALL* PFN_TorvVeskClient_createSecureOutputStream)(TorvVeskClientHandle handle,
                                                                         const char* attributes, int attributesLength);
typedef int(TORV_VESK_CALL* PFN_TorvVeskClient_readByte)(TorvVeskClientHandle handle, char* byte, int* count);
typedef int(TORV_VESK_CALL* PFN_TorvVeskClient_readBArray)(TorvVeskClientHandle handle, char* destination, int length,
                                                           int* count);
typedef int(TORV_VESK_CALL* PFN_TorvVeskClient_available)(TorvVeskClientHandle handle, int* available);
typedef int(TORV_VESK_CALL* PFN_TorvVeskClient_readClose)(TorvVeskClientHandle handle);
typedef int(TORV_VESK_CALL* PFN_TorvVeskClient_writeByte)(TorvVeskClientHandle handle, unsigned char byte);
typedef int(TORV_VESK_CALL* PFN_TorvVeskClient_writeBArray)(TorvVeskClientHandle handle, const char* source,
                                                            int length);
typedef int(TORV_VESK_CALL* PFN_TorvVeskClient_flush)(TorvVeskClientHandle handle);
typedef int(TORV_VESK_CALL* PFN_TorvVeskClient_WriteClose)(TorvVeskClientHandle handle);
typedef const char*(TORV_VESK_CALL* PFN_TorvVeskClient_getLastErrorMessage)(TorvVeskClientHandle handle);
typedef void(TORV_VESK_CALL* PFN_TorvVeskClient_free_memory)(void* memory);

#ifdef __cplusplus
}
#endif

#endif /* TORV_VESK_CLIENT_H */
