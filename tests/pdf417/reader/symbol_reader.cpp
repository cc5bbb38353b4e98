// SPDX-License-Identifier: Apache-2.0
#include "symbol_reader.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace torv::test {
namespace {

constexpr int kPrime = 929;
constexpr std::array<int, 8> kStart = {8, 1, 1, 1, 1, 1, 1, 3};
constexpr std::array<int, 9> kStop = {7, 1, 1, 3, 1, 1, 1, 2, 1};

bool fail(std::string& error, const std::string& why) {
  error = why;
  return false;
}

// Modules (true = bar) of a run-length pattern, bar first.
template <std::size_t N>
std::vector<bool> modulesOf(const std::array<int, N>& widths) {
  std::vector<bool> m;
  for (std::size_t i = 0; i < N; ++i) m.insert(m.end(), static_cast<std::size_t>(widths[i]), i % 2 == 0);
  return m;
}

int power(int base, int exp) {
  long long r = 1, b = base % kPrime;
  while (exp > 0) {
    if (exp & 1) r = r * b % kPrime;
    b = b * b % kPrime;
    exp >>= 1;
  }
  return static_cast<int>(r);
}

}  // namespace

bool elementWidths(std::uint32_t pattern, std::array<int, 8>& widths) {
  if (pattern >> 17 || !(pattern & 0x10000)) return false;
  int element = 0;
  int run = 0;
  bool bar = true;
  for (int bit = 16; bit >= 0; --bit) {
    const bool isBar = (pattern >> bit) & 1;
    if (isBar == bar) {
      ++run;
      continue;
    }
    if (element >= 7) return false;
    widths[element++] = run;
    run = 1;
    bar = isBar;
  }
  if (element != 7) return false;
  widths[7] = run;
  return !bar;  // last element is a space
}

bool PatternTables::load(const std::string& path, std::string& error) {
  std::ifstream in(path);
  if (!in) return fail(error, "cannot open pattern table file " + path);
  std::string line;
  int cluster = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (cluster >= 3) return fail(error, "more than three cluster lines in " + path);
    std::istringstream values(line);
    std::string token;
    int count = 0;
    while (values >> token) {
      if (count >= 929) return fail(error, "more than 929 values in cluster line " + std::to_string(cluster));
      std::size_t used = 0;
      unsigned long v = 0;
      try {
        v = std::stoul(token, &used, 16);
      } catch (...) {
        used = 0;
      }
      if (used != token.size() || v > 0xFFFF) return fail(error, "bad value '" + token + "'");
      entries_[cluster][count++] = static_cast<std::uint16_t>(v);
    }
    if (count != 929)
      return fail(error, "cluster line " + std::to_string(cluster) + " has " + std::to_string(count) + " values");
    ++cluster;
  }
  if (cluster != 3) return fail(error, "expected three cluster lines in " + path);

  for (int c = 0; c < 3; ++c) {
    byPattern_[c].clear();
    for (int cw = 0; cw < 929; ++cw) {
      const std::uint32_t pattern = 0x10000u | entries_[c][cw];
      std::array<int, 8> w{};
      if (!elementWidths(pattern, w)) {
        return fail(error, "cluster " + std::to_string(3 * c) + " codeword " + std::to_string(cw) +
                               " is not 4 bars and 4 spaces");
      }
      for (int e : w)
        if (e > 6) return fail(error, "element wider than 6 modules at codeword " + std::to_string(cw));
      const int number = ((w[0] - w[2] + w[4] - w[6]) % 9 + 9) % 9;
      if (number != 3 * c) {
        return fail(error, "codeword " + std::to_string(cw) + " of cluster " + std::to_string(3 * c) +
                               " has cluster number " + std::to_string(number));
      }
      if (clusterOf(pattern) >= 0) return fail(error, "duplicate pattern at codeword " + std::to_string(cw));
      byPattern_[c].emplace(pattern, cw);
    }
  }
  return true;
}

int PatternTables::lookup(int clusterIndex, std::uint32_t pattern) const {
  const auto it = byPattern_[clusterIndex].find(pattern);
  return it == byPattern_[clusterIndex].end() ? -1 : it->second;
}

int PatternTables::clusterOf(std::uint32_t pattern) const {
  for (int c = 0; c < 3; ++c)
    if (byPattern_[c].count(pattern)) return c;
  return -1;
}

bool readSymbol(const PixelGrid& image, int modulePx, int rowPx, const PatternTables& tables, bool strict,
                SymbolRead& out, std::string& error) {
  out = SymbolRead{};
  if (modulePx <= 0 || rowPx <= 0 || image.gray == nullptr) return fail(error, "no image");
  if (image.width % modulePx != 0) return fail(error, "width is not a whole number of modules");
  if (image.height % rowPx != 0) return fail(error, "height is not a whole number of rows");
  const int modules = image.width / modulePx;
  if (modules < 17 + 69 || (modules - 69) % 17 != 0) {
    return fail(error, std::to_string(modules) + " modules wide is not 17 x columns + 69");
  }
  out.columns = (modules - 69) / 17;
  out.rows = image.height / rowPx;

  const std::vector<bool> start = modulesOf(kStart);
  const std::vector<bool> stop = modulesOf(kStop);
  std::vector<bool> row(static_cast<std::size_t>(modules));
  for (int r = 0; r < out.rows; ++r) {
    const std::string where = "row " + std::to_string(r);
    for (int m = 0; m < modules; ++m) {
      const int x0 = m * modulePx;
      const int y0 = r * rowPx;
      const bool centre = image.dark(x0 + modulePx / 2, y0 + rowPx / 2);
      if (strict) {
        for (int y = y0; y < y0 + rowPx; ++y)
          for (int x = x0; x < x0 + modulePx; ++x)
            if (image.dark(x, y) != centre) {
              return fail(error, where + ": pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                                     ") differs from the rest of its module");
            }
      }
      row[static_cast<std::size_t>(m)] = centre;
    }
    if (!std::equal(start.begin(), start.end(), row.begin())) return fail(error, where + ": no start pattern");
    if (!std::equal(stop.begin(), stop.end(), row.end() - static_cast<long>(stop.size()))) {
      return fail(error, where + ": no stop pattern");
    }
    std::vector<int> codewords;
    const int cluster = r % 3;
    for (int c = 0; c < out.columns + 2; ++c) {
      std::uint32_t pattern = 0;
      for (int k = 0; k < 17; ++k) pattern = (pattern << 1) | (row[static_cast<std::size_t>(17 + 17 * c + k)] ? 1 : 0);
      const int cw = tables.lookup(cluster, pattern);
      if (cw < 0) {
        const int other = tables.clusterOf(pattern);
        std::ostringstream msg;
        msg << where << " column " << c << ": pattern 0x" << std::hex << pattern << std::dec
            << (other >= 0 ? " belongs to cluster " + std::to_string(3 * other) + ", not " + std::to_string(3 * cluster)
                           : std::string(" is no symbol character"));
        return fail(error, msg.str());
      }
      codewords.push_back(cw);
    }
    out.sequence.insert(out.sequence.end(), codewords.begin() + 1, codewords.end() - 1);
    out.matrix.push_back(std::move(codewords));
  }
  return true;
}

std::vector<int> syndromes(const std::vector<int>& sequence, int k) {
  std::vector<int> result;
  for (int j = 1; j <= k; ++j) {
    const int a = power(3, j);
    long long acc = 0;
    for (int cw : sequence) acc = (acc * a + cw) % kPrime;  // Horner, first codeword highest order
    result.push_back(static_cast<int>(acc));
  }
  return result;
}

bool checkSymbol(SymbolRead& s, std::string& error) {
  const int R = s.rows, C = s.columns;
  if (R < 3 || R > 90) return fail(error, std::to_string(R) + " rows is outside 3..90");
  if (C < 1 || C > 30) return fail(error, std::to_string(C) + " columns is outside 1..30");
  if (R * C > 928) return fail(error, "more than 928 codewords");
  const int x = (R - 1) / 3;
  const int z = C - 1;
  int level = -1;
  for (int r = 0; r < R; ++r) {
    const int base = 30 * (r / 3);
    const int left = s.matrix[r].front() - base;
    const int right = s.matrix[r].back() - base;
    const std::string where = "row " + std::to_string(r) + " indicators (" + std::to_string(left + base) + ", " +
                              std::to_string(right + base) + ")";
    if (left < 0 || left >= 30 || right < 0 || right >= 30) return fail(error, where + ": wrong row group");
    int yValue = -1;
    bool ok = false;
    switch (r % 3) {
      case 0:
        ok = left == x && right == z;
        break;
      case 1:
        ok = right == x;
        yValue = left;
        break;
      case 2:
        ok = left == z;
        yValue = right;
        break;
    }
    if (!ok)
      return fail(error, where + ": expected rows field " + std::to_string(x) + ", columns field " + std::to_string(z));
    if (yValue >= 0) {
      const int rest = yValue - (R - 1) % 3;
      if (rest < 0 || rest % 3 != 0 || rest / 3 > 8) return fail(error, where + ": bad level field");
      if (level >= 0 && level != rest / 3) return fail(error, where + ": level differs from earlier rows");
      level = rest / 3;
    }
  }
  s.eccLevel = level;
  const int k = 2 << level;
  const int n = static_cast<int>(s.sequence.size());
  if (k >= n) return fail(error, "no room for the length descriptor");
  if (s.sequence[0] != n - k) {
    return fail(error, "length descriptor " + std::to_string(s.sequence[0]) + ", expected " + std::to_string(n - k));
  }
  const std::vector<int> syn = syndromes(s.sequence, k);
  for (int j = 0; j < k; ++j)
    if (syn[j] != 0) return fail(error, "syndrome at 3^" + std::to_string(j + 1) + " is " + std::to_string(syn[j]));
  return true;
}

}  // namespace torv::test
