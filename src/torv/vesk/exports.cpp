// SPDX-License-Identifier: Apache-2.0
// The fourteen exported functions. Every function except create, getLastErrorMessage and
// free_memory runs under a capture, the one place where failures become return codes: a
// host-text failure becomes the handle's failure text (-1); anything else leaves the
// function's composed failure text (-30000).
#include <memory>
#include <string>

#include "attributes/CJTorvAttributeList.h"
#include "platform/code_page.h"
#include "platform/thread_failures.h"
#include "stream/byte_array_input_stream.h"
#include "stream/byte_array_output_stream.h"
#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "stream/exceptions.h"
#include "torv/vesk/HandleRecord.h"
#include "torv/vesk/TorvVeskClientSession.h"
#include "torv_vesk_client.h"
#include "transport/TorvFuncInputStream.h"
#include "transport/TorvFuncOutputStream.h"

using torv::vesk::CaptureSite;

namespace {

constexpr int kCreated = 1001;
constexpr int kSuccess = 1;
constexpr int kNoSecureStream = 0;
constexpr int kTextFailure = -1;
constexpr int kFailure = -30000;
constexpr int kNullHandle = -100000;
constexpr int kNoSession = -200000;

constexpr CaptureSite kCreateSecureInputStream{"TorvVeskClient_createSecureInputStream: unknown exception occured:",
                                               208};
constexpr CaptureSite kCreateSecureOutputStream{"TorvVeskClient_createSecureOutputStream: unknown exception occured:",
                                                259};
constexpr CaptureSite kDestroy{"TorvVeskClient_destroy: unknown exception occured:", 303};
constexpr CaptureSite kReadByte{"TorvVeskClient_readByte: unknown exception occured:", 376};
constexpr CaptureSite kReadBArray{"TorvVeskClient_readBArray: unknown exception occured:", 427};
constexpr CaptureSite kAvailable{"TorvVeskClient_available: unknown exception occured:", 454};
constexpr CaptureSite kReadClose{"TorvVeskClient_readClose: unknown exception occured:", 479};
constexpr CaptureSite kWriteByte{"TorvVeskClient_writeByte: unknown exception occured:", 519};
constexpr CaptureSite kWriteBArray{"TorvVeskClient_writeBArray: unknown exception occured:", 558};
constexpr CaptureSite kFlush{"TorvVeskClient_flush: unknown exception occured:", 592};
constexpr CaptureSite kWriteClose{"TorvVeskClient_WriteClose: unknown exception occured:", 618};

HandleRecord* recordOf(TorvVeskClientHandle handle) { return HandleRecord::of(handle); }

// A caller error found before anything is read or written.
[[noreturn]] void refuse(const char* what) { throw CZException(std::string(what)); }

// Runs body under the capture of site. A null handle has nowhere to keep a text: -30000.
template <typename Body>
int captured(TorvVeskClientHandle handle, const CaptureSite& site, Body body) {
  HandleRecord* record = recordOf(handle);
  if (record == nullptr) return kFailure;
  torv::platform::prepareThreadForFailures();  // keeps the host's last error intact until caught
  try {
    return body(*record);
  } catch (const CZException& failure) {
    if (failure.kind() == CZException::Kind::HostText) {
      record->storeFailureText(failure.hostTextPointer());
      return kTextFailure;
    }
    record->storeComposedFailureText(site, failure.lastErrorAtRaise());
    return kFailure;
  } catch (...) {
    const int lastError = torv::platform::lastError();
    record->storeComposedFailureText(site, lastError);
    return kFailure;
  }
}

// Parses host bytes holding a serialised attribute list; the bytes stay the host's.
void parseAttributes(const char* bytes, int length, CJTorvAttributeList& list) {
  if (length < 0 || (bytes == nullptr && length > 0)) refuse("attribute bytes missing");
  CJByteArrayInputStream memory(const_cast<char*>(bytes), length, 0);
  CJDataInputStream data(&memory, 0);
  list.read(&data);
}

// Serialises list into a new buffer with a zero after the bytes; the caller owns it (delete[]).
char* serialiseAttributes(const CJTorvAttributeList& list, int& length) {
  CJByteArrayOutputStream memory(0);
  try {
    CJDataOutputStream data(&memory, 0);
    list.write(&data);
    data.flush();
  } catch (...) {
    delete[] memory.getTerminatedBuffer();
    throw;
  }
  length = memory.size();
  return memory.getTerminatedBuffer();
}

CJInputStream& secureInput(HandleRecord& record) {
  if (record.secureInputStream() == nullptr) refuse("no secure input stream in place");
  return *record.secureInputStream();
}

CJOutputStream& secureOutput(HandleRecord& record) {
  if (record.secureOutputStream() == nullptr) refuse("no secure output stream in place");
  return *record.secureOutputStream();
}

// Asks the session for a new secure input stream after the current one reported its end.
CJInputStream& renegotiate(HandleRecord& record) {
  CJTorvAttributeList attributes;
  record.setSecureInputStream(record.negotiateInput(attributes));
  return secureInput(record);
}

}  // namespace

extern "C" {

TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_create(const char* attributes, int attributesLength, int context,
                                                       FuncReadByte readByte, FuncReadBArray readBArray,
                                                       FuncAvailable available, FuncReadClose readClose,
                                                       FuncWriteByte writeByte, FuncWriteBArray writeBArray,
                                                       FuncFlush flush, FuncWriteClose writeClose,
                                                       FuncErrorMessage errorMessage, TorvVeskClientHandle* handle) {
  if (handle == nullptr) return kFailure;
  *handle = nullptr;
  try {
    // The initial attributes first: bytes that do not parse leave nothing to undo.
    CJTorvAttributeList initial;
    parseAttributes(attributes, attributesLength, initial);

    std::unique_ptr<HandleRecord> record(new HandleRecord());
    record->attachInput(std::unique_ptr<TorvFuncInputStream>(
        new TorvFuncInputStream(context, readByte, readBArray, available, readClose, errorMessage)));
    record->attachOutput(std::unique_ptr<TorvFuncOutputStream>(
        new TorvFuncOutputStream(context, writeByte, writeBArray, flush, writeClose, errorMessage)));
    record->installSession(SessionPtr(new TorvVeskClientSession()));
    record->session().setServerIP(initial.getValue(std::string("TORV_SERVER_IP")));
    record->session().setServerURL(initial.getValue(std::string("TORV_SERVER_URL")));

    *handle = record.release()->handle();
    return kCreated;
  } catch (...) {
  }
  return kFailure;
}

TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_destroy(TorvVeskClientHandle handle) {
  HandleRecord* record = recordOf(handle);
  if (record == nullptr) return kNullHandle;
  if (!record->hasSession()) return kNoSession;
  return captured(handle, kDestroy, [](HandleRecord& r) {
    r.releaseSession();
    delete &r;
    return kSuccess;
  });
}

TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_createSecureInputStream(TorvVeskClientHandle handle, char** attributes,
                                                                        int* attributesLength) {
  return captured(handle, kCreateSecureInputStream, [&](HandleRecord& record) {
    if (attributes == nullptr || attributesLength == nullptr) refuse("no place for the attribute bytes");
    CJTorvAttributeList received;
    CJInputStream* secure = record.negotiateInput(received);
    int length = 0;
    *attributes = serialiseAttributes(received, length);
    *attributesLength = length;
    if (secure == nullptr) return kNoSecureStream;
    record.setSecureInputStream(secure);
    return kSuccess;
  });
}

TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_createSecureOutputStream(TorvVeskClientHandle handle,
                                                                         const char* attributes, int attributesLength) {
  return captured(handle, kCreateSecureOutputStream, [&](HandleRecord& record) {
    CJTorvAttributeList sent;
    parseAttributes(attributes, attributesLength, sent);
    record.setSecureOutputStream(record.negotiateOutput(sent));
    return record.secureOutputStream() != nullptr ? kSuccess : kNoSecureStream;
  });
}

TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_readByte(TorvVeskClientHandle handle, char* byte, int* count) {
  return captured(handle, kReadByte, [&](HandleRecord& record) {
    if (byte == nullptr || count == nullptr) refuse("no place for the byte");
    int value = secureInput(record).read();
    if (value < 0) value = renegotiate(record).read();
    *byte = static_cast<char>(value & 0xFF);
    *count = 1;
    return kSuccess;
  });
}

TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_readBArray(TorvVeskClientHandle handle, char* destination, int length,
                                                           int* count) {
  return captured(handle, kReadBArray, [&](HandleRecord& record) {
    if (count == nullptr || length < 0 || (destination == nullptr && length > 0)) refuse("bad destination");
    int n = secureInput(record).read(destination, 0, length);
    *count = n;
    if (n < 0) {
      n = renegotiate(record).read(destination, 0, length);
      *count = n;
    }
    return kSuccess;
  });
}

TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_available(TorvVeskClientHandle handle, int* available) {
  return captured(handle, kAvailable, [&](HandleRecord& record) {
    if (available == nullptr) refuse("no place for the count");
    *available = secureInput(record).available();
    return kSuccess;
  });
}

TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_readClose(TorvVeskClientHandle handle) {
  return captured(handle, kReadClose, [&](HandleRecord& record) {
    secureInput(record).close();
    return kSuccess;
  });
}

TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_writeByte(TorvVeskClientHandle handle, unsigned char byte) {
  return captured(handle, kWriteByte, [&](HandleRecord& record) {
    secureOutput(record).write(static_cast<int>(byte));
    return kSuccess;
  });
}

TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_writeBArray(TorvVeskClientHandle handle, const char* source,
                                                            int length) {
  return captured(handle, kWriteBArray, [&](HandleRecord& record) {
    if (length < 0 || (source == nullptr && length > 0)) refuse("bad source");
    secureOutput(record).write(source, 0, length);
    return kSuccess;
  });
}

TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_flush(TorvVeskClientHandle handle) {
  return captured(handle, kFlush, [&](HandleRecord& record) {
    secureOutput(record).flush();
    return kSuccess;
  });
}

TORV_VESK_API int TORV_VESK_CALL TorvVeskClient_WriteClose(TorvVeskClientHandle handle) {
  return captured(handle, kWriteClose, [&](HandleRecord& record) {
    secureOutput(record).close();
    return kSuccess;
  });
}

TORV_VESK_API const char* TORV_VESK_CALL TorvVeskClient_getLastErrorMessage(TorvVeskClientHandle handle) {
  HandleRecord* record = recordOf(handle);
  return record != nullptr ? record->lastErrorMessage() : "";
}

TORV_VESK_API void TORV_VESK_CALL TorvVeskClient_free_memory(void* memory) { delete[] static_cast<char*>(memory); }

}  // extern "C"
