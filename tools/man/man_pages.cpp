// SPDX-License-Identifier: Apache-2.0
// pdf417-man-pages DIR: writes the manual pages of pdf417 and pdf417-encode into DIR, from the
// same tables as their --help. The pages in the source tree are its output (checked by a test).
#include <cstdio>
#include <string>

#include "encode_options.h"
#include "options.h"

namespace {

bool writePage(const std::string& path, const std::string& page) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(page.data(), 1, page.size(), out) == page.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pdf417-man-pages DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  torv::tools::Options drawOptions;
  torv::tools::EncodeOptions encodeOptions;
  if (!writePage(dir + "/pdf417.1", torv::tools::manPage(torv::tools::pdf417Command(drawOptions))) ||
      !writePage(dir + "/pdf417-encode.1", torv::tools::manPage(torv::tools::encodeCommand(encodeOptions)))) {
    std::fprintf(stderr, "pdf417-man-pages: cannot write the pages into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
