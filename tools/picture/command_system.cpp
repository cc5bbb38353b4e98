// SPDX-License-Identifier: Apache-2.0
#include "command_system.h"

#include <cstdlib>

#if defined(_WIN32)
// windows.h first: shellapi.h builds on its types.
// clang-format off
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
// clang-format on
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

namespace torv::tools {

#if defined(_WIN32)
namespace {

std::wstring wide(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
  return out;
}

std::string utf8(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
  out.pop_back();  // the terminating NUL
  return out;
}

}  // namespace

std::vector<std::string> commandArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wideArguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wideArguments == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(utf8(wideArguments[i]));
  LocalFree(wideArguments);
  return arguments;
}

std::FILE* openFile(const std::string& path, const char* mode) {
  return _wfopen(wide(path).c_str(), wide(mode).c_str());
}

int removeFile(const std::string& path) { return _wremove(wide(path).c_str()); }

std::string absolutePath(const std::string& path) {
  wchar_t* absolute = _wfullpath(nullptr, wide(path).c_str(), 0);
  const std::string name = absolute != nullptr ? utf8(absolute) : path;
  std::free(absolute);
  return name;
}

void useBinaryMode(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

void keepFreedMemory() {}

#else

std::vector<std::string> commandArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::FILE* openFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

int removeFile(const std::string& path) { return std::remove(path.c_str()); }

std::string absolutePath(const std::string& path) {
  char* absolute = realpath(path.c_str(), nullptr);
  const std::string name = absolute != nullptr ? absolute : path;
  std::free(absolute);
  return name;
}

void useBinaryMode(std::FILE* /*stream*/) {}

void keepFreedMemory() {
#if defined(__GLIBC__)
  // Every picture's compressor takes and frees the same few hundred kilobytes.
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

#endif

}  // namespace torv::tools
