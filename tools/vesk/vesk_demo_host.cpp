// SPDX-License-Identifier: Apache-2.0
// A host for the handshake demo: loads the client library by path, binds the nine callbacks
// to a TCP connection to 127.0.0.1:PORT and runs one attribute exchange through the
// exported functions, printing every return code and failure text.
//
//   vesk_demo_host --library PATH --port P [--timeout SECONDS] NAME=VALUE...
//
// The NAME=VALUE arguments (UTF-8) form the list the host sends. Exit status 0 when every
// call succeeded.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include "torv_vesk_client.h"

namespace {

// ---- The connection behind the callbacks: the context value is the socket. ----

std::map<int, std::string> failureTexts;  // per socket, for FuncErrorMessage

int fail(int socket, const std::string& what) {
  failureTexts[socket] = what + ": " + (errno != 0 ? std::strerror(errno) : "connection closed by the server");
  return -1;
}

int receiveSome(int socket, char* destination, int length) {
  for (;;) {
    const ssize_t n = ::recv(socket, destination, static_cast<size_t>(length), 0);
    if (n >= 0 || errno != EINTR) return static_cast<int>(n);
  }
}

int readByte(int socket, unsigned char* byte, int* count) {
  errno = 0;
  const int n = receiveSome(socket, reinterpret_cast<char*>(byte), 1);
  if (n <= 0) return fail(socket, "read");
  *count = 1;
  return 0;
}

int readBArray(int socket, char* destination, int length, int* count) {
  if (length <= 0) {
    *count = 0;
    return 0;
  }
  errno = 0;
  const int n = receiveSome(socket, destination, length);
  if (n < 0) return fail(socket, "read");
  *count = n == 0 ? -1 : n;  // the server's orderly shutdown is the end of the stream
  return 0;
}

int available(int socket, int* n) {
  if (::ioctl(socket, FIONREAD, n) < 0) return fail(socket, "available");
  return 0;
}

int readClose(int socket, int) { return ::shutdown(socket, SHUT_RD); }

int writeBArray(int socket, const char* source, int length) {
  while (length > 0) {
    const ssize_t n = ::send(socket, source, static_cast<size_t>(length), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(socket, "write");
    }
    source += n;
    length -= static_cast<int>(n);
  }
  return 0;
}

int writeByte(int socket, int value) {
  const char byte = static_cast<char>(value);
  return writeBArray(socket, &byte, 1);
}

int flush(int) { return 0; }

int writeClose(int socket) { return ::shutdown(socket, SHUT_WR); }

const char* errorMessage(int socket) { return failureTexts[socket].c_str(); }

// ---- Attribute lists as bytes: 32-bit count, then texts as 32-bit unit counts and UTF-16BE. ----

void appendInt(std::string& out, unsigned v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
}

std::u16string utf8ToUtf16(const std::string& text) {
  std::u16string units;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i++]);
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (; extra > 0 && i < text.size(); --extra) code = (code << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    if (code > 0xFFFF) {
      code -= 0x10000;
      units.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(code));
    }
  }
  return units;
}

std::string utf16ToUtf8(const std::u16string& units) {
  std::string out;
  for (char16_t u : units) {
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (u >> 12)));
      out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

using Entries = std::vector<std::pair<std::string, std::string>>;

std::string serialise(const Entries& entries) {
  std::string bytes;
  appendInt(bytes, static_cast<unsigned>(entries.size()));
  for (const auto& [name, value] : entries) {
    for (const std::string* text : {&name, &value}) {
      const std::u16string units = utf8ToUtf16(*text);
      appendInt(bytes, static_cast<unsigned>(units.size()));
      for (char16_t u : units) {
        bytes.push_back(static_cast<char>(u >> 8));
        bytes.push_back(static_cast<char>(u & 0xFF));
      }
    }
  }
  return bytes;
}

// Parses the bytes the library handed back; false when they are not a complete list.
bool deserialise(const char* bytes, int length, Entries& entries) {
  int at = 0;
  auto nextInt = [&](long& value) {
    if (length - at < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at++]);
    value = static_cast<int>(static_cast<unsigned>(value));
    return true;
  };
  auto nextText = [&](std::string& text) {
    long units = 0;
    if (!nextInt(units) || units < 0 || units > (length - at) / 2) return false;
    std::u16string decoded;
    for (long i = 0; i < units; ++i, at += 2) {
      decoded.push_back(static_cast<char16_t>((static_cast<unsigned char>(bytes[at]) << 8) |
                                              static_cast<unsigned char>(bytes[at + 1])));
    }
    text = utf16ToUtf8(decoded);
    return true;
  };
  long count = 0;
  if (!nextInt(count)) return false;
  for (long i = 0; i < count; ++i) {
    std::string name, value;
    if (!nextText(name) || !nextText(value)) return false;
    entries.emplace_back(name, value);
  }
  return at == length;
}

// ---- The library's exports, looked up by name. ----

struct Library {
  decltype(&TorvVeskClient_create) create;
  decltype(&TorvVeskClient_destroy) destroy;
  decltype(&TorvVeskClient_createSecureInputStream) createSecureInputStream;
  decltype(&TorvVeskClient_createSecureOutputStream) createSecureOutputStream;
  decltype(&TorvVeskClient_getLastErrorMessage) getLastErrorMessage;
  decltype(&TorvVeskClient_free_memory) freeMemory;
  decltype(&TorvVeskClient_readByte) readByte;
};

template <typename Function>
bool bind(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  if (function == nullptr) std::fprintf(stderr, "vesk_demo_host: %s not exported\n", name);
  return function != nullptr;
}

int connectToLoopback(int port, int timeoutSeconds) {
  const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) return -1;
  timeval limit{timeoutSeconds, 0};
  ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
    ::close(socket);
    return -1;
  }
  return socket;
}

void report(const Library& library, TorvVeskClientHandle handle, const char* function, int result) {
  const char* text = handle != nullptr ? library.getLastErrorMessage(handle) : "";
  std::printf("%s -> %d%s%s\n", function, result, *text != '\0' ? "  failure text: " : "", text);
  std::fflush(stdout);
}

[[noreturn]] void usage(const char* message) {
  std::fprintf(stderr, "vesk_demo_host: %s\n", message);
  std::fprintf(stderr, "usage: vesk_demo_host --library PATH --port P [--timeout SECONDS] NAME=VALUE...\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  std::string libraryPath;
  int port = -1;
  int timeoutSeconds = 10;
  Entries ownList;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--library" && i + 1 < argc) {
      libraryPath = argv[++i];
    } else if (arg == "--port" && i + 1 < argc) {
      port = std::atoi(argv[++i]);
    } else if (arg == "--timeout" && i + 1 < argc) {
      timeoutSeconds = std::atoi(argv[++i]);
    } else if (arg.find('=') != std::string::npos && arg.rfind("--", 0) != 0) {
      ownList.emplace_back(arg.substr(0, arg.find('=')), arg.substr(arg.find('=') + 1));
    } else {
      usage(("unexpected argument " + arg).c_str());
    }
  }
  if (libraryPath.empty() || port <= 0 || port > 65535 || timeoutSeconds <= 0) usage("--library and --port are needed");

  void* loaded = ::dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (loaded == nullptr) {
    std::fprintf(stderr, "vesk_demo_host: cannot load %s: %s\n", libraryPath.c_str(), ::dlerror());
    return 1;
  }
  Library library{};
  if (!bind(loaded, "TorvVeskClient_create", library.create) ||
      !bind(loaded, "TorvVeskClient_destroy", library.destroy) ||
      !bind(loaded, "TorvVeskClient_createSecureInputStream", library.createSecureInputStream) ||
      !bind(loaded, "TorvVeskClient_createSecureOutputStream", library.createSecureOutputStream) ||
      !bind(loaded, "TorvVeskClient_getLastErrorMessage", library.getLastErrorMessage) ||
      !bind(loaded, "TorvVeskClient_free_memory", library.freeMemory) ||
      !bind(loaded, "TorvVeskClient_readByte", library.readByte)) {
    return 1;
  }

  const int socket = connectToLoopback(port, timeoutSeconds);
  if (socket < 0) {
    std::fprintf(stderr, "vesk_demo_host: cannot connect to 127.0.0.1:%d: %s\n", port, std::strerror(errno));
    return 1;
  }
  std::printf("connected to 127.0.0.1:%d\n", port);

  bool ok = true;
  const std::string initial = serialise(
      {{"TORV_SERVER_IP", "127.0.0.1"}, {"TORV_SERVER_URL", "vesk://127.0.0.1:" + std::to_string(port) + "/"}});
  TorvVeskClientHandle handle = nullptr;
  int result = library.create(initial.data(), static_cast<int>(initial.size()), socket, readByte, readBArray, available,
                              readClose, writeByte, writeBArray, flush, writeClose, errorMessage, &handle);
  report(library, handle, "TorvVeskClient_create", result);
  if (result != 1001 || handle == nullptr) {
    ::close(socket);
    return 1;
  }

  char* received = nullptr;
  int receivedLength = 0;
  result = library.createSecureInputStream(handle, &received, &receivedLength);
  report(library, handle, "TorvVeskClient_createSecureInputStream", result);
  if (result >= 0) {
    Entries serverList;
    const bool complete = deserialise(received, receivedLength, serverList) && received[receivedLength] == '\0';
    std::printf("server's list (%zu entries, %d bytes%s):\n", serverList.size(), receivedLength,
                complete ? "" : ", NOT a complete list");
    for (const auto& [name, value] : serverList) std::printf("  %s -> %s\n", name.c_str(), value.c_str());
    library.freeMemory(received);
    ok = ok && complete;
  } else {
    ok = false;
  }

  const std::string own = serialise(ownList);
  result = library.createSecureOutputStream(handle, own.data(), static_cast<int>(own.size()));
  report(library, handle, "TorvVeskClient_createSecureOutputStream", result);
  ok = ok && result >= 0;
  if (result >= 0) std::printf("sent the host's list (%zu entries, %zu bytes)\n", ownList.size(), own.size());

  // No secure stream is in place, so reading through the handle fails: the failure text shows.
  char byte = 0;
  int count = 0;
  result = library.readByte(handle, &byte, &count);
  std::printf("(without a secure input stream) ");
  report(library, handle, "TorvVeskClient_readByte", result);
  ok = ok && result == -30000;

  ::shutdown(socket, SHUT_WR);  // the host owns the connection: it ends it
  result = library.destroy(handle);
  std::printf("TorvVeskClient_destroy -> %d\n", result);
  ok = ok && result == 1;
  ::close(socket);
  ::dlclose(loaded);
  return ok ? 0 : 1;
}
