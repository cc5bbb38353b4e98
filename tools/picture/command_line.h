// SPDX-License-Identifier: Apache-2.0
// What the pdf417 and pdf417-encode command lines share: their refusal and the parsing of values
// that mean the same in both.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

namespace torv::tools {

// A command line that cannot be followed; the message says why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A whole number from low to high as the value of option, or a UsageError that names the range.
int parseInt(const std::string& option, const std::string& text, int low, int high);

std::string lowerCase(std::string text);

// The value of --format: "png", "bmp" or "svg" in any case, or a UsageError.
std::string parseFormat(const std::string& text);

// The value of -l/--level: "auto" (any case) is -1, else a level from 0 to 8, or a UsageError.
int parseLevel(const std::string& option, const std::string& text);

// Writes the text as it is to a standard stream. The commands use stdio, not iostreams: setting up
// the streams' locales alone would cost a run more memory than its work.
void writeText(std::FILE* stream, const std::string& text);

// A line for --help on Windows, where a .bat file needs %% for each % of a batch's -o pattern;
// nothing elsewhere.
#if defined(_WIN32)
inline constexpr const char* kBatchFilePercentNote =
    "\nIn a .bat or .cmd file write %% for each % of -o: -o label-%%05d.png (cmd.exe takes %0 for\n"
    "the file's own name).";
#else
inline constexpr const char* kBatchFilePercentNote = "";
#endif

// "1 character", "2 characters": the count and the noun, with an s unless the count is 1.
std::string counted(long count, const std::string& noun);

// The word as a shell on this system takes it back as one argument: as it is when it is plain,
// else in single quotes (double quotes on Windows, whose cmd.exe knows no others).
std::string shellWord(const std::string& word);

// "png", "bmp" or "svg" from a file name's extension; standard output ("-") is PNG.
std::string formatFromName(const std::string& name);

}  // namespace torv::tools
