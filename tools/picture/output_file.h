// SPDX-License-Identifier: Apache-2.0
// The file a picture goes to: a named file, or standard output for "-".
#pragma once

#include <cstdio>
#include <string>

namespace torv::tools {

class OutputFile {
 public:
  // PictureFileError when the file cannot be opened.
  explicit OutputFile(const std::string& path);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  std::FILE* get() const { return file_; }
  // Flushes and closes; PictureFileError when anything written was lost.
  void close();
  // Removes a file that was not finished (not standard output).
  void discard();

 private:
  std::string path_;
  std::FILE* file_;
  bool isStandardOutput_;
  char buffer_[4096];  // the named file's buffer, until it is closed
};

}  // namespace torv::tools
