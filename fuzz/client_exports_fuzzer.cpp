// SPDX-License-Identifier: Apache-2.0
// The client library's exported functions over a host whose every callback answer comes from the
// input: bytes, odd counts, failures, end of stream, thrown texts and failure texts that are not
// valid modified UTF-8. The input also picks which exported function runs next. Every result must be
// one the function may return, and the last failure text must stay a terminated text of at most
// 4096 bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include "attributes/CJTorvAttributeList.h"
#include "fuzz_input.h"
#include "stream/byte_array_input_stream.h"
#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "stream/exceptions.h"
#include "torv_vesk_client.h"
#include "transport/TorvFuncInputStream.h"
#include "transport/TorvFuncOutputStream.h"

namespace {

using torv::fuzz::FuzzInput;

constexpr int kFailure = -30000;
constexpr int kTextFailure = -1;

// The host: one per run. Texts it hands out (failure texts, thrown texts) stay valid until the run
// ends, as a host must keep them at least until the exported call has returned.
struct Host {
  explicit Host(FuzzInput& input) : input(input) {}
  FuzzInput& input;
  std::deque<std::string> texts;

  const char* newText() {
    switch (input.byte() % 4) {
      case 0:
        texts.emplace_back("connection reset");
        break;
      case 1:
        texts.emplace_back(std::string(5000, 'x'));
        break;  // longer than the handle keeps
      default:
        texts.push_back(input.text(40));
        break;  // any bytes: often malformed
    }
    return texts.back().c_str();
  }

  // A status: mostly success, sometimes a failure, sometimes a thrown text.
  int status() {
    const std::uint8_t choice = input.byte();
    if (choice < 200) return choice % 3;  // 0, 1, 2: all success
    if (choice < 240) return -1 - (choice % 3 == 0 ? 0 : choice);
    throw const_cast<char*>(newText());
  }
};

Host* host = nullptr;

int readByte(int, unsigned char* byte, int* count) {
  const int result = host->status();
  if (result < 0) return result;
  *byte = host->input.byte();
  switch (host->input.byte() % 8) {
    case 0:
      *count = 0;
      break;
    case 1:
      *count = 2;
      break;
    case 2:
      *count = -1;
      break;
    default:
      *count = 1;
      break;
  }
  if (host->input.empty()) return -1;  // the connection is gone
  return result;
}

int readBArray(int, char* destination, int length, int* count) {
  const int result = host->status();
  if (result < 0) return result;
  if (host->input.empty()) {
    *count = -1;
    return result;
  }
  const std::uint8_t mode = host->input.byte();
  int n = length > 0 ? static_cast<int>(host->input.byte() % 64) : 0;
  if (n > length) n = length;
  if (mode < 200) {
    for (int i = 0; i < n; ++i) destination[i] = static_cast<char>(host->input.byte());
    *count = n;
  } else if (mode < 220) {
    *count = -1 - (mode % 4);  // end of stream
  } else if (mode < 240) {
    *count = 0;
  } else {
    *count = length < INT32_MAX - 3 ? length + 1 + (mode % 3) : INT32_MAX;  // claims more than asked for
  }
  return result;
}

int available(int, int* n) {
  const int result = host->status();
  if (result >= 0) *n = host->input.interestingInt();
  return result;
}

int readClose(int, int) { return host->status(); }
int writeByte(int, int) { return host->status(); }
int writeBArray(int, const char* source, int length) {
  // The library must hand over readable bytes, as many as it says.
  volatile char sink = 0;
  for (int i = 0; i < length; ++i) sink = sink ^ source[i];
  return host->status();
}
int flush(int) { return host->status(); }
int writeClose(int) { return host->status(); }
const char* errorMessage(int) {
  if (host->input.byte() % 16 == 0) return nullptr;
  return host->newText();
}

bool oneOf(int code, std::initializer_list<int> allowed) {
  for (int a : allowed) {
    if (code == a) return true;
  }
  return false;
}

void checkLastError(TorvVeskClientHandle handle, int code) {
  const char* text = TorvVeskClient_getLastErrorMessage(handle);
  FUZZ_CHECK(text != nullptr);
  const std::size_t length = strnlen(text, 4097);
  FUZZ_CHECK(length <= 4096);
  if (code != kTextFailure || length == 0) return;
  // A plain-text failure keeps the host's own text (cut to what the handle holds).
  bool fromHost = false;
  for (const std::string& hostText : host->texts) {
    const std::size_t whole = strnlen(hostText.c_str(), hostText.size());
    fromHost = fromHost || (hostText.compare(0, length, text, length) == 0 && (length == whole || length >= 4095));
  }
  FUZZ_CHECK(fromHost);
}

// The bytes handed back after a negotiation are exactly one serialised attribute list.
void checkHandedBack(char* bytes, int length) {
  CJTorvAttributeList list;
  CJDataInputStream in(new CJByteArrayInputStream(bytes, length, 0), 1);
  try {
    list.read(&in);
  } catch (const CZException&) {
    ::torv::fuzz::checkFailed("the handed-back bytes are not an attribute list", __FILE__, __LINE__);
  }
  FUZZ_CHECK(in.available() == 0);
}

// A serialised attribute list: often well formed, otherwise any bytes.
std::string attributeBytes(FuzzInput& input) {
  if (input.flag()) return input.text(64);
  std::string out;
  const int entries = input.byte() % 4;
  auto put32 = [&](std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
  };
  put32(static_cast<std::uint32_t>(entries));
  for (int i = 0; i < 2 * entries; ++i) {
    const std::string text = input.text(8);
    put32(static_cast<std::uint32_t>(text.size()));
    for (char c : text) {
      out.push_back('\0');
      out.push_back(c);
    }
  }
  return out;
}

TorvVeskClientHandle create(FuzzInput& input) {
  const std::string attributes = attributeBytes(input);
  TorvVeskClientHandle handle = reinterpret_cast<TorvVeskClientHandle>(&input);  // must be overwritten
  const int length = input.byte() % 8 == 0 ? -1 : static_cast<int>(attributes.size());
  // Now and then a host leaves some of its functions out.
  const std::uint16_t missing = input.byte() % 8 == 0 ? input.u16() : 0;
  auto given = [&](auto function, int bit) { return (missing >> bit & 1) != 0 ? nullptr : function; };
  const int code =
      TorvVeskClient_create(attributes.data(), length, 7, given(readByte, 0), given(readBArray, 1), given(available, 2),
                            given(readClose, 3), given(writeByte, 4), given(writeBArray, 5), given(flush, 6),
                            given(writeClose, 7), given(errorMessage, 8), &handle);
  FUZZ_CHECK(oneOf(code, {1001, kFailure}));
  FUZZ_CHECK((code == 1001) == (handle != nullptr));
  return code == 1001 ? handle : nullptr;
}

void exercise(FuzzInput& input, TorvVeskClientHandle& handle) {
  // Now and then a call goes to a null handle instead.
  TorvVeskClientHandle target = input.byte() % 16 == 0 ? nullptr : handle;
  int code = 0;
  switch (input.byte() % 13) {
    case 0: {
      char* attributes = nullptr;
      int length = -7;
      const bool withOutputs = input.byte() % 8 != 0;
      code = TorvVeskClient_createSecureInputStream(target, withOutputs ? &attributes : nullptr,
                                                    withOutputs ? &length : nullptr);
      FUZZ_CHECK(oneOf(code, {1, 0, kTextFailure, kFailure}));
      if (code >= 0 && withOutputs) {
        FUZZ_CHECK(attributes != nullptr && length >= 4);
        FUZZ_CHECK(attributes[length] == '\0');
        checkHandedBack(attributes, length);
      }
      if (attributes != nullptr) TorvVeskClient_free_memory(attributes);
      break;
    }
    case 1: {
      const std::string attributes = attributeBytes(input);
      const bool nullBytes = input.byte() % 16 == 0;
      code = TorvVeskClient_createSecureOutputStream(target, nullBytes ? nullptr : attributes.data(),
                                                     static_cast<int>(attributes.size()));
      FUZZ_CHECK(oneOf(code, {1, 0, kTextFailure, kFailure}));
      break;
    }
    case 2: {
      char byte = 0;
      int count = -7;
      code = TorvVeskClient_readByte(target, &byte, &count);
      FUZZ_CHECK(oneOf(code, {1, kTextFailure, kFailure}));
      if (code == 1) FUZZ_CHECK(count == 1);
      break;
    }
    case 3: {
      const int length = input.byte() % 16 == 0 ? -input.byte() : input.byte() % 80;
      std::vector<char> destination(length > 0 ? static_cast<std::size_t>(length) : 1);
      int count = -7;
      code = TorvVeskClient_readBArray(target, destination.data(), length, &count);
      FUZZ_CHECK(oneOf(code, {1, kTextFailure, kFailure}));
      break;
    }
    case 4: {
      int n = 0;
      code = TorvVeskClient_available(target, &n);
      FUZZ_CHECK(oneOf(code, {1, kTextFailure, kFailure}));
      break;
    }
    case 5:
      code = TorvVeskClient_readClose(target);
      FUZZ_CHECK(oneOf(code, {1, kTextFailure, kFailure}));
      break;
    case 6:
      code = TorvVeskClient_writeByte(target, input.byte());
      FUZZ_CHECK(oneOf(code, {1, kTextFailure, kFailure}));
      break;
    case 7: {
      const std::string bytes = input.text(40);
      const int length = input.byte() % 16 == 0 ? -1 : static_cast<int>(bytes.size());
      code = TorvVeskClient_writeBArray(target, bytes.data(), length);
      FUZZ_CHECK(oneOf(code, {1, kTextFailure, kFailure}));
      break;
    }
    case 8:
      code = TorvVeskClient_flush(target);
      FUZZ_CHECK(oneOf(code, {1, kTextFailure, kFailure}));
      break;
    case 9:
      code = TorvVeskClient_WriteClose(target);
      FUZZ_CHECK(oneOf(code, {1, kTextFailure, kFailure}));
      break;
    case 10:
      TorvVeskClient_free_memory(nullptr);
      break;
    case 11:
      if (target == nullptr) {
        FUZZ_CHECK(TorvVeskClient_destroy(nullptr) == -100000);
      } else {
        code = TorvVeskClient_destroy(handle);
        FUZZ_CHECK(oneOf(code, {1, kTextFailure, kFailure, -200000}));
        handle = nullptr;
        return;
      }
      break;
    default:
      break;
  }
  checkLastError(target, code);
}

}  // namespace

// The callback streams themselves, under data streams, as the handle builds them: every
// operation, also those the exported functions never reach while no secure stream is in place.
void exerciseStreams(FuzzInput& input) {
  CJDataInputStream in(new TorvFuncInputStream(7, readByte, readBArray, available, readClose, errorMessage), 1);
  CJDataOutputStream out(new TorvFuncOutputStream(7, writeByte, writeBArray, flush, writeClose, errorMessage), 1);
  int steps = 0;
  while (!input.empty() && ++steps < 100) {
    try {
      switch (input.byte() % 12) {
        case 0: {
          const int b = in.read();
          FUZZ_CHECK(b >= 0 && b <= 255);
          break;
        }
        case 1: {
          std::vector<char> buffer(8 + input.byte() % 64);
          in.read(buffer.data(), 8, static_cast<int>(buffer.size()) - 8);
          break;
        }
        case 2: {
          const long long n = input.flag() ? input.interestingInt() : input.u16();
          const long long skipped = in.skip(n);
          FUZZ_CHECK(skipped >= 0 && skipped <= (n > 0 ? n : 0));
          break;
        }
        case 3:
          in.available();
          break;
        case 4:
          in.close();
          break;
        case 5:
          in.readInt();
          break;
        case 6:
          in.readUTF();
          break;
        case 7:
          in.readString();
          break;
        case 8:
          out.write(input.byte());
          break;
        case 9: {
          const std::string bytes = input.text(32);
          out.write(bytes.data(), 0, static_cast<int>(bytes.size()));
          break;
        }
        case 10:
          out.flush();
          break;
        default:
          out.close();
          break;
      }
    } catch (const CZException& failure) {
      if (failure.kind() != CZException::Kind::HostText) continue;
      // Only the host's own texts travel as plain text.
      const char* text = failure.hostTextPointer();
      bool fromHost = text[0] == '\0';
      for (const std::string& hostText : host->texts) fromHost = fromHost || hostText.c_str() == text;
      FUZZ_CHECK(fromHost);
    }
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  Host scripted(input);
  host = &scripted;
  if (input.byte() % 4 == 0) {
    exerciseStreams(input);
    host = nullptr;
    return 0;
  }
  TorvVeskClientHandle handles[2] = {nullptr, nullptr};
  int calls = 0;
  while (!input.empty() && ++calls < 200) {
    TorvVeskClientHandle& handle = handles[input.byte() % 2];
    if (handle == nullptr) {
      handle = create(input);
    } else {
      exercise(input, handle);
    }
  }
  for (TorvVeskClientHandle& handle : handles) {
    if (handle != nullptr) FUZZ_CHECK(oneOf(TorvVeskClient_destroy(handle), {1, kTextFailure, kFailure}));
  }
  host = nullptr;
  return 0;
}
