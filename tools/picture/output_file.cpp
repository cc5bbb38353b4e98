// SPDX-License-Identifier: Apache-2.0
#include "output_file.h"

#include <cerrno>
#include <cstring>

#include "command_system.h"
#include "picture_file.h"

namespace torv::tools {

OutputFile::OutputFile(const std::string& path)
    : path_(path), file_(path == "-" ? stdout : openFile(path, "wb")), isStandardOutput_(path == "-") {
  if (isStandardOutput_) useBinaryMode(stdout);
  if (file_ == nullptr) throw PictureFileError("cannot write " + path + ": " + std::strerror(errno));
  // A buffer of the size the C library picks for a file on the usual file systems, so that it
  // need not ask the system for the file's block size: that question was an eighth of the system
  // time of a batch of small pictures.
  if (!isStandardOutput_) std::setvbuf(file_, buffer_, _IOFBF, sizeof buffer_);
}

OutputFile::~OutputFile() {
  if (file_ != nullptr && !isStandardOutput_) std::fclose(file_);
}

void OutputFile::close() {
  const bool failed = std::fflush(file_) != 0 || std::ferror(file_) != 0;
  const bool closeFailed = !isStandardOutput_ && std::fclose(file_) != 0;
  file_ = nullptr;
  if (failed || closeFailed) throw PictureFileError("cannot write " + path_);
}

void OutputFile::discard() {
  if (isStandardOutput_) return;
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  removeFile(path_);
}

}  // namespace torv::tools
