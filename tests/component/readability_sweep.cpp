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

// "6.25" from "X-dimension 6.25 px" in the command's report or warnings.
std::string moduleWidth(const std::string& output) {
  const std::size_t at = output.find("X-dimension ");
  if (at == std::string::npos) return "-";
  const std::size_t start = at + 12;
  return output.substr(start, output.find(' ', start) - start);
}

// The text is passed as one shell word.
std::string quoted(const std::string& text) { return "'" + text + "'"; }

const char* verdict(int exitCode) {
  return exitCode == 0 ? "written" : exitCode == 2 ? "refused" : "failed";
}

std::vector<Case> grid(bool full) {
  std::vector<Case> cases;
  const char* order = "Order 4711";
  const char* longer = "Ship to: Example Street 12, 12345 Town; parcel 3 of 4; 2.5 kg";
  const std::vector<int> dpis = full ? std::vector<int>{72, 96, 100, 150, 200, 203, 240, 254, 300, 360, 400, 600, 720,
                                                        1200}
                                     : std::vector<int>{72, 100, 203, 300, 600, 1200};
  const std::vector<int> printScales = full ? std::vector<int>{1, 2, 3, 4, 6} : std::vector<int>{1, 2};
  const std::vector<float> paintScales = full ? std::vector<float>{0.5f, 0.75f, 1.0f, 1.25f, 1.5f, 2.0f}
                                              : std::vector<float>{0.75f, 1.0f};
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
  const TempFile forced("sweep_forced.png"), plain("sweep_plain.png");
  int faults = 0, written = 0, refused = 0, readable = 0;
  std::printf("| text | mode | dpi | -x | scale | module px | reads | %sverdict |\n", before.empty() ? "" : "before | ");
  std::printf("|---|---|---|---|---|---|---|%s---|\n", before.empty() ? "" : "---|");
  for (const Case& c : grid(full)) {
    const std::string text = c.text;
    const Outcome drawn = runProgram(PDF417_COMMAND, c.arguments() + " --force -o " + quoted(forced.path()) + " " +
                                                         quoted(text));
    const bool reads = drawn.exitCode == 0 && readsBack(forced.path(), text);
    const Outcome now =
        runProgram(PDF417_COMMAND, c.arguments() + " -o " + quoted(plain.path()) + " " + quoted(text));
    std::string then;
    if (!before.empty()) {
      then = std::string(verdict(runProgram(before, c.arguments() + " -o " + quoted(plain.path()) + " " +
                                                        quoted(text))
                                     .exitCode)) +
             " | ";
    }
    readable += reads;
    written += now.exitCode == 0;
    refused += now.exitCode == 2;
    // A written picture that does not read is the fault the refusal exists to prevent.
    const bool fault = now.exitCode == 0 && !readsBack(plain.path(), text);
    faults += fault;
    std::printf("| %s | %s | %d | %d | %s | %s | %s | %s%s%s |\n", text.size() > 12 ? "long" : "short",
                c.print ? "print" : "paint", c.dpi, c.xScale, c.print ? "-" : c.arguments().substr(
                                                                                  c.arguments().rfind(' ') + 1)
                                                                                  .c_str(),
                moduleWidth(drawn.output).c_str(), reads ? "yes" : "no", then.c_str(), verdict(now.exitCode),
                fault ? " **written but unreadable**" : "");
  }
  std::printf("\n%d readable, %d written, %d refused, %d written but unreadable\n", readable, written, refused, faults);
  return faults == 0 ? 0 : 1;
}
