// The pdf417 command, run as a user runs it: pictures that read back, and clear refusals.
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "zxing_decode.h"

namespace {

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

Outcome runCommand(const std::string& arguments, const std::string& input = "") {
  std::string command = std::string("'") + PDF417_COMMAND + "' " + arguments + " 2>&1";
  if (!input.empty()) {
    static const TempFile inputFile("pdf417_stdin.txt");
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

Gray readPng(const std::string& path) {
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

// The 24-bit bottom-up BMP that the command writes.
Gray readBmp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  Gray gray;
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || bytes[28] != 24) return gray;
  const auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24);
  };
  gray.width = static_cast<int>(u32(18));
  gray.height = static_cast<int>(u32(22));
  const std::size_t stride = (static_cast<std::size_t>(gray.width) * 3 + 3) & ~std::size_t{3};
  if (bytes.size() < u32(10) + stride * gray.height) return Gray{};
  for (int y = 0; y < gray.height; ++y) {
    const std::uint8_t* row = &bytes[u32(10) + stride * (gray.height - 1 - y)];
    for (int x = 0; x < gray.width; ++x) gray.pixels.push_back(row[3 * x]);
  }
  return gray;
}

std::string decode(const Gray& gray) {
  if (gray.width == 0) return "<no picture>";
  std::string why;
  const auto bytes = torv::test::decodePdf417(gray.width, gray.height, gray.pixels.data(), 0, {}, why);
  return bytes ? std::string(bytes->begin(), bytes->end()) : "<unread: " + why + ">";
}

TEST(Pdf417Command, WritesAPngThatReadsBack) {
  const TempFile png("command.png");
  // The sample of the project's main job.
  const Outcome outcome = runCommand(
      "'PDF417 sample: Gr\xC3\xBC\xC3\x9F"
      "e, \xE2\x82\xAC 12.50' -o '" +
      png.path() + "'");
  ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
  EXPECT_NE(outcome.output.find(png.path()), std::string::npos) << outcome.output;  // says where the picture is
  EXPECT_EQ(decode(readPng(png.path())),
            "PDF417 sample: Gr\xFC\xDF"
            "e, \x80 12.50");
}

TEST(Pdf417Command, PrintsABmpFromAFileWithChosenSettings) {
  const TempFile data("command_data.txt");
  std::ofstream(data.path(), std::ios::binary) << "line one\nline two\tend";
  const TempFile bmp("command.bmp");
  const Outcome outcome =
      runCommand("--file '" + data.path() + "' --print --dpi 192 -r 12 -c 4 -l 3 -x 1 -y 3 -o '" + bmp.path() + "'");
  ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
  const Gray gray = readBmp(bmp.path());
  EXPECT_EQ(gray.width, 2 * (17 * 4 + 69) + 2 * 2 * 2);  // twice the bitmap, 2 modules of quiet zone
  EXPECT_EQ(gray.height, 2 * 12 * 3 + 2 * 2 * 2);
  EXPECT_EQ(decode(gray), "line one\nline two\tend");
}

TEST(Pdf417Command, ReadsStandardInputAndReplacesCharactersOutsideTheCodePage) {
  const TempFile png("command_stdin.png");
  const Outcome outcome = runCommand("--scale 2 -o '" + png.path() + "'", "\xD0\x96 and \xF0\x9F\x98\x80");
  ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
  EXPECT_NE(outcome.output.find("2 character(s)"), std::string::npos) << outcome.output;
  EXPECT_EQ(decode(readPng(png.path())), "? and ?");
}

TEST(Pdf417Command, RefusesBadOptionsWithAMessage) {
  const struct {
    const char* arguments;
    const char* message;
  } cases[] = {
      {"--rows 2 x", "--rows must be 0"},
      {"--rows 91 x", "--rows takes a whole number from 0 to 90"},
      {"--columns abc x", "--columns takes a whole number"},
      {"--level 9 x", "--level takes a whole number from 0 to 8"},
      {"--xscale 21 x", "--xscale takes a whole number from 1 to 20"},
      {"-x 10 -y 20 x", "at most 25"},
      {"-r 90 -c 30 x", "at most 928"},
      {"--scale 0 x", "--scale takes a number above 0"},
      {"--bogus x", "unknown option --bogus"},
      {"-o picture.gif x", "name it .png or .bmp"},
      {"one two", "only one TEXT"},
      {"--rows", "--rows needs a value"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = runCommand(c.arguments);
    EXPECT_EQ(outcome.exitCode, 2) << c.arguments;
    EXPECT_NE(outcome.output.find(c.message), std::string::npos) << c.arguments << ": " << outcome.output;
  }
}

TEST(Pdf417Command, RefusesDataThatDoesNotFitOrCannotBeRead) {
  const TempFile png("command_refused.png");
  std::remove(png.path().c_str());
  Outcome outcome = runCommand("-r 3 -c 1 -l 4 -o '" + png.path() + "' 'far too long for three rows'");
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.output.find("does not fit"), std::string::npos) << outcome.output;
  EXPECT_FALSE(std::ifstream(png.path()).good());

  outcome = runCommand("-o '" + png.path() + "'", "bad \xFF byte");
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.output.find("not valid UTF-8"), std::string::npos) << outcome.output;

  outcome = runCommand("--file /nonexistent/data.txt");
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.output.find("cannot open the data file"), std::string::npos) << outcome.output;

  outcome = runCommand("--plugin /nonexistent/libtorvc_pdf417.so text");
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.output.find("cannot load the plug-in"), std::string::npos) << outcome.output;
}

}  // namespace
