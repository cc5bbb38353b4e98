// SPDX-License-Identifier: Apache-2.0
// Running a command-line tool as a user does, for the tests of the pdf417 commands: temporary
// files, the exit status and output of a run, and PNG pictures read back as grey pixels.
// Header-only: its users link libpng and GoogleTest themselves.
#pragma once

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

namespace torv::test {

// A temporary file of this process alone (several builds may run the tests at once), removed
// when the test ends.
class TempFile {
 public:
  explicit TempFile(const std::string& name) : path_(::testing::TempDir() + std::to_string(getpid()) + "_" + name) {}
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct Outcome {
  int exitCode;
  std::string output;  // standard output and error together
};

// Runs program with the arguments (shell words), the input on standard input (none when empty).
inline Outcome runProgram(const std::string& program, const std::string& arguments, const std::string& input = "") {
  std::string command = "'" + program + "' " + arguments + " 2>&1";
  if (!input.empty()) {
    static const TempFile inputFile("command_stdin.txt");
    std::ofstream(inputFile.path(), std::ios::binary) << input;
    command += " < '" + inputFile.path() + "'";
  } else {
    command += " < /dev/null";
  }
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  Outcome outcome{-1, ""};
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) outcome.output += buffer;
  const int status = pclose(pipe.release());
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

struct Gray {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;
};

// A PNG file as 8-bit grey pixels; width 0 when it cannot be read.
inline Gray readPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Gray gray;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return gray;
  image.format = PNG_FORMAT_GRAY;
  gray.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, gray.pixels.data(), 0, nullptr)) return Gray{};
  gray.width = static_cast<int>(image.width);
  gray.height = static_cast<int>(image.height);
  return gray;
}

}  // namespace torv::test
