// SPDX-License-Identifier: Apache-2.0
// Runs a fuzz target without the fuzzing engine: every file named on the command line, and every
// file inside a named directory, goes once through LLVMFuzzerTestOneInput. A broken property
// aborts, which fails the test that runs this program.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool replayFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
    return false;
  }
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::fprintf(stderr, "replaying %s (%zu bytes)\n", path.string().c_str(), bytes.size());
  // A copy of exactly the file's length, so reading past the input shows under AddressSanitizer.
  std::vector<std::uint8_t> input(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(input.empty() ? nullptr : input.data(), input.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path(argv[i]);
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
      }
    } else if (std::filesystem::exists(path)) {
      files.push_back(path);
    }
  }
  std::sort(files.begin(), files.end());
  bool ok = true;
  for (const auto& file : files) ok = replayFile(file) && ok;
  std::fprintf(stderr, "%zu inputs replayed\n", files.size());
  return ok ? 0 : 1;
}
