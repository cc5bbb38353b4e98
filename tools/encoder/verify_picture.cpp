// SPDX-License-Identifier: Apache-2.0
#include "verify_picture.h"

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <sys/wait.h>

extern char** environ;
#endif

namespace torv::tools {

#ifdef _WIN32

bool verifyAvailable() { return false; }

std::string verifyPicture(const std::string&, const std::string&) {
  return "this build has no reader to verify with (zxing-cpp is not part of the Windows commands)";
}

#else

namespace {

constexpr const char* kReader = "pdf417-verify";

std::string directoryOfCommand() {
  std::vector<char> path(4096);
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return "";
  std::string self(path.data(), static_cast<std::size_t>(length));
  return self.substr(0, self.rfind('/'));
}

// Next to the command in a build tree, else where the package installs it.
std::string readerPath() {
  const std::string here = directoryOfCommand();
  for (const std::string& candidate : {here + "/" + kReader, here + "/../libexec/torv/" + kReader}) {
    if (!here.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

std::string readAll(int fd) {
  std::string text;
  char chunk[4096];
  for (;;) {
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got > 0) {
      text.append(chunk, static_cast<std::size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      return text;
    }
  }
}

std::string firstLine(const std::string& text) {
  const std::string line = text.substr(0, text.find('\n'));
  return line.empty() ? "no reason given" : line;
}

}  // namespace

bool verifyAvailable() { return !readerPath().empty(); }

std::string verifyPicture(const std::string& path, const std::string& expected) {
  const std::string reader = readerPath();
  if (reader.empty()) {
    return std::string("the reader ") + kReader + " is not installed next to this command (it needs zxing-cpp)";
  }
  int payload[2], messages[2];
  if (pipe(payload) != 0) return std::string("cannot start the reader: ") + std::strerror(errno);
  if (pipe(messages) != 0) {
    close(payload[0]);
    close(payload[1]);
    return std::string("cannot start the reader: ") + std::strerror(errno);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, payload[1], 1);
  posix_spawn_file_actions_adddup2(&actions, messages[1], 2);
  for (const int fd : {payload[0], payload[1], messages[0], messages[1]})
    posix_spawn_file_actions_addclose(&actions, fd);
  std::vector<char*> arguments{const_cast<char*>(reader.c_str()), const_cast<char*>(path.c_str()), nullptr};
  pid_t child = 0;
  const int spawned = posix_spawn(&child, reader.c_str(), &actions, nullptr, arguments.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(payload[1]);
  close(messages[1]);
  std::string bytes, said;
  if (spawned == 0) {
    bytes = readAll(payload[0]);  // at most a symbol's payload: the message pipe cannot fill meanwhile
    said = readAll(messages[0]);
  }
  close(payload[0]);
  close(messages[0]);
  if (spawned != 0) return "cannot start the reader " + reader + ": " + std::strerror(spawned);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFSIGNALED(status)) {
    return "the reader ended on signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) +
           ") reading " + path;
  }
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (code == 1) return "nothing was read back from " + path;
  if (code != 0) return "the reader could not read " + path + ": " + firstLine(said);
  if (bytes == expected) return "";
  std::size_t at = 0;
  while (at < bytes.size() && at < expected.size() && bytes[at] == expected[at]) ++at;
  return path + " reads back as " + std::to_string(bytes.size()) + " bytes, not the " +
         std::to_string(expected.size()) + " of the data (they differ from byte " + std::to_string(at + 1) + " on)";
}

#endif

}  // namespace torv::tools
