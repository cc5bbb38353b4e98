// SPDX-License-Identifier: Apache-2.0
// pdf417-encode --macro, --compact and --reader-init as a user runs them: numbered pictures that a
// reader puts back together, and refusals that say why.
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "command_run.h"
#include "zxing_decode.h"

namespace {

using torv::test::Outcome;
using torv::test::TempFile;

Outcome runCommand(const std::string& arguments) { return torv::test::runProgram(PDF417_ENCODE_COMMAND, arguments); }

TEST(Pdf417EncodeMacro, NumberedPicturesReassembleTheFile) {
  const TempFile input("macro_input.bin");
  std::mt19937 rng(30);
  std::string data(4000, '\0');
  for (char& c : data) c = static_cast<char>(rng());
  std::ofstream(input.path(), std::ios::binary) << data;

  const std::string pattern = ::testing::TempDir() + std::to_string(getpid()) + "_part-%02d.png";
  const Outcome run = runCommand("-v -c 10 -l 3 --macro-id 004002 --macro-name data.bin --macro-checksum -o '" +
                                 pattern + "' -f '" + input.path() + "'");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Macro PDF417 set of 4 symbols"), std::string::npos) << run.output;

  std::string joined;
  for (int i = 1; i <= 4; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%02d", i);
    const TempFile picture(std::string("part-") + name + ".png");
    const torv::test::Gray gray = torv::test::readPng(picture.path());
    std::string why;
    const auto reading = torv::test::readPdf417(gray.width, gray.height, gray.pixels.data(), 0, {}, why);
    ASSERT_TRUE(reading) << picture.path() << ": " << why;
    EXPECT_EQ(reading->sequenceIndex, i - 1);
    EXPECT_EQ(reading->sequenceSize, 4);
    EXPECT_EQ(reading->sequenceId, "004002");
    joined.append(reading->bytes.begin(), reading->bytes.end());
  }
  EXPECT_EQ(joined, data);
}

// --micro --macro: one picture per MicroPDF417 symbol, and none beyond the set.
TEST(Pdf417EncodeMacro, MicroSetWritesOnePicturePerSymbol) {
  const std::string pattern = ::testing::TempDir() + std::to_string(getpid()) + "_micro-%02d.png";
  const Outcome run =
      runCommand("-v --micro --macro -c 2 --macro-id 004002 -o '" + pattern + "' '" + std::string(300, '7') + "'");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Macro MicroPDF417 set of 4 symbols"), std::string::npos) << run.output;
  for (int i = 1; i <= 5; ++i) {
    const TempFile picture("micro-0" + std::to_string(i) + ".png");
    EXPECT_EQ(std::ifstream(picture.path()).good(), i <= 4) << picture.path();
  }
}

TEST(Pdf417EncodeMacro, CompactAndReaderInitReadAndBadCombinationsAreRefused) {
  const TempFile out("variant.png");
  const Outcome compact = runCommand("--compact --reader-init -c 4 -o '" + out.path() + "' 'Setup 42'");
  ASSERT_EQ(compact.exitCode, 0) << compact.output;
  const torv::test::Gray gray = torv::test::readPng(out.path());
  std::string why;
  const auto reading = torv::test::readPdf417(gray.width, gray.height, gray.pixels.data(), 0, {}, why);
  ASSERT_TRUE(reading) << why;
  EXPECT_TRUE(reading->readerInit);
  EXPECT_EQ(std::string(reading->bytes.begin(), reading->bytes.end()), "Setup 42");

  const struct {
    std::string arguments;
    const char* says;
  } refused[] = {
      {"--macro -o part.png x", "--macro needs -o with one %d"},
      {"--macro -o part-%d-%s.png x", "has another % sequence"},
      {"--macro-name x -o - x", "not standard output"},
      {"--macro-id 12 -o p%d.png x", "--macro-id is groups of three digits"},
      {"--macro-id 900 -o p%d.png x", "--macro-id is groups of three digits"},
      {"--macro-time -5 -o p%d.png x", "--macro-time takes seconds"},
      {"--macro --reader-init -o p%d.png x", "cannot be combined"},
      {"--micro --macro-time 5 -o p%d.png x", "a MicroPDF417 set carries the file ID, file name and segment count"},
  };
  for (const auto& c : refused) {
    const Outcome outcome = runCommand(c.arguments);
    EXPECT_EQ(outcome.exitCode, 2) << c.arguments << ": " << outcome.output;
    EXPECT_NE(outcome.output.find(c.says), std::string::npos) << c.arguments << ": " << outcome.output;
  }
}

}  // namespace
