// SPDX-License-Identifier: Apache-2.0
#include "command_line.h"

#include <cerrno>
#include <cstdlib>

namespace torv::tools {

int parseInt(const std::string& option, const std::string& text, int low, int high) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < low || value > high) {
    throw UsageError(option + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                     ", not '" + text + "'");
  }
  return static_cast<int>(value);
}

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

std::string parseFormat(const std::string& text) {
  std::string format = lowerCase(text);
  if (format != "png" && format != "bmp" && format != "svg") {
    throw UsageError("--format is png, bmp or svg, not '" + format + "'");
  }
  return format;
}

int parseLevel(const std::string& option, const std::string& text) {
  return lowerCase(text) == "auto" ? -1 : parseInt(option, text, 0, 8);
}

void writeText(std::FILE* stream, const std::string& text) { std::fwrite(text.data(), 1, text.size(), stream); }

std::string counted(long count, const std::string& noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string shellWord(const std::string& word) {
  const bool plain = !word.empty() && word.find_first_not_of(
                                          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                          "0123456789-_./:,+=@%") == std::string::npos;
  if (plain) return word;
#if defined(_WIN32)
  std::string quoted = "\"";
  for (const char c : word) quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
  return quoted + "\"";
#else
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
#endif
}

std::string formatFromName(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : lowerCase(name.substr(dot + 1));
  if (extension == "png" || extension == "bmp" || extension == "svg") return extension;
  if (name == "-") return "png";
  throw UsageError("cannot tell the picture format from '" + name + "': name it .png, .bmp or .svg, or give --format");
}

}  // namespace torv::tools
