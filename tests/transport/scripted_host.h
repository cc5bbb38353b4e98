// SPDX-License-Identifier: Apache-2.0
// A host for tests and benchmarks: the nine callbacks over an in-memory connection, with
// every call counted and every behaviour replaceable per test.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "torv_vesk_client.h"

namespace torv::testing {

struct HostCalls {
  int readByte = 0;
  int readBArray = 0;
  int available = 0;
  int readClose = 0;
  int writeByte = 0;
  int writeBArray = 0;
  int flush = 0;
  int writeClose = 0;
  int errorMessage = 0;

  int total() const {
    return readByte + readBArray + available + readClose + writeByte + writeBArray + flush + writeClose + errorMessage;
  }
};

class ScriptedHost {
 public:
  explicit ScriptedHost(std::string input = std::string()) : input(std::move(input)), context_(nextContext()) {
    registry()[context_] = this;
  }
  ScriptedHost(const ScriptedHost&) = delete;
  ScriptedHost& operator=(const ScriptedHost&) = delete;
  ~ScriptedHost() { registry().erase(context_); }

  int context() const { return context_; }
  std::size_t remaining() const { return input.size() - position; }

  // The connection: bytes still to deliver and bytes written so far.
  std::string input;
  std::size_t position = 0;
  std::string output;

  HostCalls calls;
  std::vector<int> readCloseReasons;
  std::vector<int> readBArrayLengths;
  std::vector<int> writeByteValues;
  // Text that FuncErrorMessage returns.
  std::string errorText = "connection failed";
  // When set, FuncErrorMessage returns this pointer instead of errorText.
  const char* errorTextPointer = nullptr;
  // When true, FuncErrorMessage returns a null pointer.
  bool nullErrorText = false;

  // Replace a callback's default behaviour (same arguments, after the context).
  std::function<int(unsigned char*, int*)> onReadByte;
  std::function<int(char*, int, int*)> onReadBArray;
  std::function<int(int*)> onAvailable;
  std::function<int(int)> onReadClose;
  std::function<int(int)> onWriteByte;
  std::function<int(const char*, int)> onWriteBArray;
  std::function<int()> onFlush;
  std::function<int()> onWriteClose;
  const char* errorMessageThrows = nullptr;  // the failure function throws this text

  // The nine callbacks, as a host hands them to TorvVeskClient_create.
  static int readByte(int context, unsigned char* byte, int* count) {
    ScriptedHost& h = of(context);
    ++h.calls.readByte;
    if (h.onReadByte) return h.onReadByte(byte, count);
    if (h.remaining() == 0) return -1;
    *byte = static_cast<unsigned char>(h.input[h.position++]);
    *count = 1;
    return 0;
  }
  static int readBArray(int context, char* destination, int length, int* count) {
    ScriptedHost& h = of(context);
    ++h.calls.readBArray;
    h.readBArrayLengths.push_back(length);
    if (h.onReadBArray) return h.onReadBArray(destination, length, count);
    if (h.remaining() == 0) {
      *count = -1;
      return 0;
    }
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length), h.remaining());
    if (n > 0) std::memcpy(destination, h.input.data() + h.position, n);
    h.position += n;
    *count = static_cast<int>(n);
    return 0;
  }
  static int available(int context, int* n) {
    ScriptedHost& h = of(context);
    ++h.calls.available;
    if (h.onAvailable) return h.onAvailable(n);
    *n = static_cast<int>(h.remaining());
    return 0;
  }
  static int readClose(int context, int reason) {
    ScriptedHost& h = of(context);
    ++h.calls.readClose;
    h.readCloseReasons.push_back(reason);
    return h.onReadClose ? h.onReadClose(reason) : 0;
  }
  static int writeByte(int context, int value) {
    ScriptedHost& h = of(context);
    ++h.calls.writeByte;
    h.writeByteValues.push_back(value);
    if (h.onWriteByte) return h.onWriteByte(value);
    h.output.push_back(static_cast<char>(value));
    return 0;
  }
  static int writeBArray(int context, const char* source, int length) {
    ScriptedHost& h = of(context);
    ++h.calls.writeBArray;
    if (h.onWriteBArray) return h.onWriteBArray(source, length);
    h.output.append(source, static_cast<std::size_t>(length));
    return 0;
  }
  static int flush(int context) {
    ScriptedHost& h = of(context);
    ++h.calls.flush;
    return h.onFlush ? h.onFlush() : 0;
  }
  static int writeClose(int context) {
    ScriptedHost& h = of(context);
    ++h.calls.writeClose;
    return h.onWriteClose ? h.onWriteClose() : 0;
  }
  static const char* errorMessage(int context) {
    ScriptedHost& h = of(context);
    ++h.calls.errorMessage;
    if (h.nullErrorText) return nullptr;
    if (h.errorMessageThrows != nullptr) throw h.errorMessageThrows;
    return h.errorTextPointer != nullptr ? h.errorTextPointer : h.errorText.c_str();
  }

  // TorvVeskClient_create over this host's callbacks.
  int create(const std::string& attributes, TorvVeskClientHandle* handle) {
    return TorvVeskClient_create(attributes.data(), static_cast<int>(attributes.size()), context_, readByte, readBArray,
                                 available, readClose, writeByte, writeBArray, flush, writeClose, errorMessage, handle);
  }

 private:
  static int nextContext() {
    static int last = 1000;
    return ++last;
  }
  static std::map<int, ScriptedHost*>& registry() {
    static std::map<int, ScriptedHost*> hosts;
    return hosts;
  }
  static ScriptedHost& of(int context) { return *registry().at(context); }

  int context_;
};

// Wire form of an attribute list written independently of the library: a 32-bit count,
// then every text as a 32-bit unit count and big-endian UTF-16 units. Texts are taken as
// Latin-1 here (tests use characters below U+0100, or pass units directly).
inline void appendInt(std::string& out, int value) {
  const unsigned v = static_cast<unsigned>(value);
  out.push_back(static_cast<char>(v >> 24));
  out.push_back(static_cast<char>(v >> 16));
  out.push_back(static_cast<char>(v >> 8));
  out.push_back(static_cast<char>(v));
}
inline void appendText(std::string& out, const std::u16string& units) {
  appendInt(out, static_cast<int>(units.size()));
  for (char16_t u : units) {
    out.push_back(static_cast<char>(u >> 8));
    out.push_back(static_cast<char>(u & 0xFF));
  }
}
inline std::u16string latin1(const std::string& text) {
  std::u16string units;
  for (unsigned char c : text) units.push_back(c);
  return units;
}
inline std::string wireList(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string out;
  appendInt(out, static_cast<int>(entries.size()));
  for (const auto& [name, value] : entries) {
    appendText(out, latin1(name));
    appendText(out, latin1(value));
  }
  return out;
}

}  // namespace torv::testing
