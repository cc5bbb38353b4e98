// SPDX-License-Identifier: Apache-2.0
// A small attribute-exchange server for the handshake demo. It listens on the loopback
// interface only, serves a bounded number of clients and exits: to each client it sends its
// attribute list (NAME=VALUE arguments), then reads the client's list and prints it.
//
//   vesk_demo_server [--port P] [--port-file FILE] [--clients N] [--timeout SECONDS] NAME=VALUE...
//
// --port 0 (the default) takes a free port; the port is printed and, with --port-file,
// written to FILE once the server listens.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "attributes/CJTorvAttributeList.h"
#include "socket_streams.h"
#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "stream/exceptions.h"
#include "terminal_text.h"

namespace {

struct Options {
  int port = 0;
  std::string portFile;
  int clients = 1;
  int timeoutSeconds = 10;
  CJTorvAttributeList attributes;
};

[[noreturn]] void usage(const char* message) {
  std::fprintf(stderr, "vesk_demo_server: %s\n", message);
  std::fprintf(stderr,
               "usage: vesk_demo_server [--port P] [--port-file FILE] [--clients N] [--timeout SECONDS] "
               "NAME=VALUE...\n");
  std::exit(2);
}

int number(const char* text, int low, int high, const char* what) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < low || value > high) usage(what);
  return static_cast<int>(value);
}

Options parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--port" && hasValue) {
      options.port = number(argv[++i], 0, 65535, "bad port");
    } else if (arg == "--port-file" && hasValue) {
      options.portFile = argv[++i];
    } else if (arg == "--clients" && hasValue) {
      options.clients = number(argv[++i], 1, 1000, "bad client count");
    } else if (arg == "--timeout" && hasValue) {
      options.timeoutSeconds = number(argv[++i], 1, 3600, "bad timeout");
    } else if (arg.find('=') != std::string::npos && arg.rfind("--", 0) != 0) {
      const std::size_t equals = arg.find('=');
      options.attributes.put(torv::tools::utf8ToAnsi(arg.substr(0, equals)),
                             torv::tools::utf8ToAnsi(arg.substr(equals + 1)));
    } else {
      usage(("unexpected argument " + arg).c_str());
    }
  }
  return options;
}

void printList(const char* heading, const CJTorvAttributeList& list) {
  std::printf("%s (%d):\n", heading, list.size());
  for (int i = 0; i < list.size(); ++i) {
    std::printf("  %s -> %s\n", torv::tools::ansiToUtf8(list.getName(i)).c_str(),
                torv::tools::ansiToUtf8(list.getValue(i)).c_str());
  }
  std::fflush(stdout);
}

int listenOnLoopback(int port) {
  const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (server < 0) return -1;
  const int on = 1;
  ::setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0 || ::listen(server, 4) < 0) {
    ::close(server);
    return -1;
  }
  return server;
}

int boundPort(int server) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  ::getsockname(server, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

bool writePortFile(const std::string& path, int port) {
  const std::string partial = path + ".partial";
  FILE* file = std::fopen(partial.c_str(), "w");
  if (file == nullptr) return false;
  std::fprintf(file, "%d\n", port);
  const bool written = std::fclose(file) == 0;
  return written && std::rename(partial.c_str(), path.c_str()) == 0;  // appears complete or not at all
}

// Exchanges the lists with one connected client; true when both went through.
bool serve(int client, const Options& options) {
  torv::tools::SocketInputStream socketIn(client);
  torv::tools::SocketOutputStream socketOut(client);
  CJDataInputStream in(&socketIn, 0);
  CJDataOutputStream out(&socketOut, 0);
  try {
    options.attributes.write(&out);
    std::printf("sent the server's list (%d entries, %d bytes)\n", options.attributes.size(), out.size());
    CJTorvAttributeList received;
    received.read(&in);
    printList("client's list", received);
    return true;
  } catch (const CZException& failure) {
    std::fprintf(stderr, "vesk_demo_server: exchange failed: %s\n", failure.getMessage().c_str());
    return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options = parse(argc, argv);
  const int server = listenOnLoopback(options.port);
  if (server < 0) {
    std::fprintf(stderr, "vesk_demo_server: cannot listen on 127.0.0.1:%d: %s\n", options.port, std::strerror(errno));
    return 1;
  }
  const int port = boundPort(server);
  std::printf("listening on 127.0.0.1:%d for %d client(s)\n", port, options.clients);
  std::fflush(stdout);
  if (!options.portFile.empty() && !writePortFile(options.portFile, port)) {
    std::fprintf(stderr, "vesk_demo_server: cannot write %s\n", options.portFile.c_str());
    return 1;
  }

  int failures = 0;
  for (int served = 0; served < options.clients; ++served) {
    pollfd waiting{server, POLLIN, 0};
    if (::poll(&waiting, 1, options.timeoutSeconds * 1000) <= 0) {
      std::fprintf(stderr, "vesk_demo_server: no client within %d s\n", options.timeoutSeconds);
      ::close(server);
      return 1;
    }
    const int client = ::accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) {
      ++failures;
      continue;
    }
    timeval limit{options.timeoutSeconds, 0};
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    std::printf("client %d connected\n", served + 1);
    if (!serve(client, options)) ++failures;
    ::close(client);
  }
  ::close(server);
  return failures == 0 ? 0 : 1;
}
