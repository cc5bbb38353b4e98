// SPDX-License-Identifier: Apache-2.0
// MicroPDF417 against a second generator, BWIPP (the npm package bwip-js under Node): our data
// codewords given to it raw, in our size, must make our symbol module for module. Skipped when
// Node or bwip-js is missing (scripts/install-bwipjs.sh BUILD puts bwip-js under BUILD/bwipjs).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "micro_inputs.h"
#include "zint_micro.h"

namespace torv::pdf417 {
namespace {

using namespace micro_check;

std::string runAndRead(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
  pclose(pipe);
  return out;
}

TEST(MicroAgainstBwipp, SameCodewordsSameModules) {
  const std::string modules = TORV_BWIPJS_MODULES;
  if (std::system("node --version > /dev/null 2>&1") != 0 || access((modules + "/bwip-js").c_str(), R_OK) != 0) {
    GTEST_SKIP() << "needs node and bwip-js in " << modules << " (scripts/install-bwipjs.sh)";
  }
  std::mt19937 rng(4417);
  std::vector<MicroSymbol> symbols;
  const std::string casesPath = ::testing::TempDir() + "micro_bwipp_cases.txt";
  std::ofstream cases(casesPath);
  // A sample here; TORV_BWIPP_CASES=N compares more, once, for a figure.
  const char* wanted = std::getenv("TORV_BWIPP_CASES");
  const int count = wanted != nullptr ? std::atoi(wanted) : 40;
  for (int i = 0; i < count; ++i) {
    const std::string data = randomMicroInput(rng).substr(0, 100);
    MicroEncoder e;
    e.setSize(1 + i % 4, 0);
    if (e.encode(data.data(), static_cast<std::uint32_t>(data.size())) != 1) continue;
    symbols.push_back(e.symbol());
    cases << e.symbol().columns << ' ' << e.symbol().rows;
    for (std::uint16_t c : e.codewords()) cases << ' ' << c;
    cases << '\n';
  }
  cases.close();
  ASSERT_GT(symbols.size(), static_cast<std::size_t>(count) * 2 / 3);
  std::istringstream out(runAndRead("node '" TORV_BWIPP_SCRIPT "' '" + modules + "' '" + casesPath + "'"));
  std::string line;
  std::size_t compared = 0;
  for (const MicroSymbol& symbol : symbols) {
    ASSERT_TRUE(std::getline(out, line)) << "bwip-js answered " << compared << " of " << symbols.size();
    std::istringstream fields(line);
    int width = 0, height = 0;
    std::string pixels;
    fields >> width >> height >> pixels;
    const Modules ours = ourModules(symbol);
    ASSERT_EQ(width, ours.width) << line.substr(0, 200);
    ASSERT_TRUE(height > 0 && height % ours.rows == 0 && pixels.size() == static_cast<std::size_t>(width) * height)
        << width << " x " << height << ", " << ours.rows << " rows: " << line.substr(0, 100);
    const int repeat = height / ours.rows;
    std::string expected;
    for (int r = 0; r < ours.rows; ++r) {
      std::string row;
      for (int x = 0; x < width; ++x) row += ours.dark[static_cast<std::size_t>(r) * width + x] ? '1' : '0';
      for (int k = 0; k < repeat; ++k) expected += row;
    }
    EXPECT_EQ(pixels, expected) << symbol.columns << "x" << symbol.rows;
    ++compared;
  }
  std::remove(casesPath.c_str());
  std::printf("bwip-js drew %zu symbols module for module as we do\n", compared);
}

}  // namespace
}  // namespace torv::pdf417
