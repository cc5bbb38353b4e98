// SPDX-License-Identifier: Apache-2.0
// pdf417_readability_sweep: draws a text with the pdf417 command over a grid of resolutions,
// module widths, scales and print or paint, reads every picture back with zxing-cpp, and checks
// that the command refuses only pictures that do not read.
//
//   pdf417_readability_sweep              the representative grid, as a test (exit 1 on a fault)
//   pdf417_readability_sweep --full       the whole grid, a table of every case
//   ... --before PATH                     also the verdicts of another build of the command
//
// Each picture is read in a child process: the reader can abort on pictures of uneven modules
// around one pixel wide.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "command_run.h"
#include "zxing_decode.h"

namespace {

using torv::test::Gray;
using torv::test::Outcome;
using torv::test::readPng;
using torv::test::runProgram;
using torv::test::TempFile;

struct Case {
  int dpi;
  int xScale;
  float scale;  // paint only
  bool print;
  const char* text;

  std::string arguments() const {
    std::string line = "--dpi " + std::to_string(dpi) + " -x " + std::to_string(xScale);
    if (print) return line + " --print";
    char number[32];
    std::snprintf(number, sizeof number, "%g", scale);
    return line + " --scale " + number;
  }
};

// Whether the picture reads back as the text; anything else (another payload, no symbol, a crash
// of the reader) is unreadable.
bool readsBack(const std::string& png, const std::string& text) {
  const pid_t child = fork();
  if (child == 0) {
    const Gray gray = readPng(png);
    const auto bytes =
        gray.width == 0 ? std::nullopt : torv::test::decodePdf417(gray.width, gray.height, gray.pixels.data());
    _exit(bytes && std::string(bytes->begin(), bytes->end()) == text ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// "6.25" from "X-dimension 6.25 px" in the command's report or note.
std::string moduleWidth(const std::string& output) {
  for (std::size_t at = output.find("X-dimension "); at != std::string::npos;
       at = output.find("X-dimension ", at + 1)) {
    const std::size_t start = at + 12;
    if (start < output.size() && output[start] >= '0' && output[start] <= '9') {
      return output.substr(start, output.find(' ', start) - start);
    }
  }
  return "-";
}

// The text is passed as one shell word.
std::string shellWord(const std::string& text) { return "'" + text + "'"; }

const char* verdict(int exitCode) { return exitCode == 0 ? "written" : exitCode == 2 ? "refused" : "failed"; }

std::vector<Case> grid(bool full) {
  std::vector<Case> cases;
  const char* order = "Order 4711";
  const char* longer = "Ship to: Example Street 12, 12345 Town; parcel 3 of 4; 2.5 kg";
  const std::vector<int> dpis =
      full ? std::vector<int>{72, 96, 100, 150, 200, 203, 240, 254, 300, 360, 400, 600, 720, 1200}
           : std::vector<int>{72, 100, 203, 300, 600, 1200};
  const std::vector<int> printScales = full ? std::vector<int>{1, 2, 3, 4, 6} : std::vector<int>{1, 2};
  const std::vector<float> paintScales =
      full ? std::vector<float>{0.5f, 0.75f, 1.0f, 1.25f, 1.5f, 2.0f} : std::vector<float>{0.75f, 1.0f};
  const std::vector<int> paintXScales = full ? std::vector<int>{1, 2, 3} : std::vector<int>{2};
  for (const char* text : full ? std::vector<const char*>{order, longer} : std::vector<const char*>{order}) {
    for (int dpi : dpis) {
      for (int x : printScales) cases.push_back({dpi, x, 1.0f, true, text});
      for (int x : paintXScales) {
        for (float scale : paintScales) cases.push_back({dpi, x, scale, false, text});
      }
    }
  }
  return cases;
}

// The Java reader of the zxing project, where its Debian packages are installed.
constexpr const char* kJavaReaderClassPath =
    "/usr/share/java/core.jar:/usr/share/java/javase.jar:/usr/share/java/jcommander.jar";

bool javaReaderInstalled() {
  for (const char* jar : {"/usr/share/java/core.jar", "/usr/share/java/javase.jar", "/usr/share/java/jcommander.jar"}) {
    if (access(jar, R_OK) != 0) return false;
  }
  return std::system("java -version > /dev/null 2>&1") == 0;
}

// Which of the pictures the Java reader reads back as the text, in one run of the reader.
std::vector<bool> javaReads(const std::vector<std::string>& pictures, const std::vector<std::string>& texts) {
  std::string command = std::string("java -cp ") + kJavaReaderClassPath +
                        " com.google.zxing.client.j2se.CommandLineRunner --possible_formats PDF_417 --try_harder";
  for (const std::string& picture : pictures) command += " " + shellWord(picture);
  const Outcome outcome = runProgram("/bin/sh", "-c " + shellWord(command));
  std::vector<bool> reads;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const std::string block = "file://" + pictures[i] + " (format: PDF_417";
    const std::size_t at = outcome.output.find(block);
    reads.push_back(at != std::string::npos && outcome.output.compare(outcome.output.find("Raw result:\n", at) + 12,
                                                                      texts[i].size() + 1, texts[i] + "\n") == 0);
  }
  return reads;
}

}  // namespace

int main(int argc, char** argv) {
  bool full = false;
  std::string before;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--full") {
      full = true;
    } else if (argument == "--before" && i + 1 < argc) {
      before = argv[++i];
    } else {
      std::fprintf(stderr, "usage: pdf417_readability_sweep [--full] [--before PDF417_COMMAND]\n");
      return 2;
    }
  }
  // The full sweep keeps every picture for the Java reader, which reads them all in one run.
  const bool java = full && javaReaderInstalled();
  const std::string keep = ::testing::TempDir() + std::to_string(getpid()) + "_sweep_";
  const TempFile forced("sweep_forced.png"), plain("sweep_plain.png");
  int faults = 0, written = 0, refused = 0, readable = 0, overcautious = 0;
  std::vector<std::string> rows, pictures, texts;
  for (const Case& c : grid(full)) {
    const std::string text = c.text;
    const std::string picture = java ? keep + std::to_string(pictures.size()) + ".png" : forced.path();
    const Outcome drawn =
        runProgram(PDF417_COMMAND, c.arguments() + " --force -o " + shellWord(picture) + " " + shellWord(text));
    const bool reads = drawn.exitCode == 0 && readsBack(picture, text);
    if (java) pictures.push_back(picture), texts.push_back(text);
    const Outcome now =
        runProgram(PDF417_COMMAND, c.arguments() + " -o " + shellWord(plain.path()) + " " + shellWord(text));
    std::string then;
    if (!before.empty()) {
      const Outcome old = runProgram(before, c.arguments() + " -o " + shellWord(plain.path()) + " " + shellWord(text));
      then = std::string(verdict(old.exitCode)) + " | ";
    }
    readable += reads;
    written += now.exitCode == 0;
    refused += now.exitCode == 2;
    // A written picture that does not read is the fault the refusal exists to prevent; the
    // label printer's job at its own dpi and the default settings must be written.
    const bool everyday = c.print && c.xScale == 2 && (c.dpi == 203 || c.dpi == 300 || c.dpi == 600);
    const bool fault = (now.exitCode == 0 && !readsBack(plain.path(), text)) || (everyday && now.exitCode != 0);
    overcautious += now.exitCode == 2 && reads;
    faults += fault;
    const std::string scale = c.print ? "-" : c.arguments().substr(c.arguments().rfind(' ') + 1);
    char row[512];
    std::snprintf(row, sizeof row, "| %s | %s | %d | %d | %s | %s | %s | ", text.size() > 12 ? "long" : "short",
                  c.print ? "print" : "paint", c.dpi, c.xScale, scale.c_str(), moduleWidth(drawn.output).c_str(),
                  reads ? "yes" : "no");
    rows.push_back(row + std::string("%s") + then + verdict(now.exitCode) +
                   (fault ? (now.exitCode == 0 ? " **written but unreadable**" : " **refused**") : "") + " |");
  }
  const std::vector<bool> javaVerdicts = java ? javaReads(pictures, texts) : std::vector<bool>{};
  std::printf("| text | mode | dpi | -x | scale | module px | zxing-cpp reads | %s%sverdict |\n",
              java ? "Java reads | " : "", before.empty() ? "" : "before | ");
  std::printf("|---|---|---|---|---|---|---|%s%s---|\n", java ? "---|" : "", before.empty() ? "" : "---|");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::size_t at = rows[i].find("%s");
    std::printf("%s%s%s\n", rows[i].substr(0, at).c_str(), java ? (javaVerdicts[i] ? "yes | " : "no | ") : "",
                rows[i].substr(at + 2).c_str());
  }
  for (const std::string& picture : pictures) std::remove(picture.c_str());
  std::printf("\n%d readable, %d written, %d refused (%d of them readable), %d faults\n", readable, written, refused,
              overcautious, faults);
  return faults == 0 ? 0 : 1;
}
