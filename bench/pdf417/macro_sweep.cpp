// SPDX-License-Identifier: Apache-2.0
// Macro PDF417 sets of many shapes and kinds of data, every symbol read back by zxing-cpp: the set
// must reassemble to the file, each symbol must name its index, the set's size and ID, and no set
// may take more symbols than filling each symbol in turn does. Prints the figures of the run.
//
// Usage: pdf417_macro_sweep [sets, default 300] [seed]
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "pdf417/encoder.h"
#include "pdf417/macro.h"
#include "zxing_decode.h"

namespace {

namespace enc = torv::pdf417;
using Bytes = std::vector<std::uint8_t>;

Bytes makeData(std::mt19937& rng, int kind, std::size_t n) {
  Bytes out;
  static const char* const kWords[] = {"Invoice", "net", "EUR",  "tax",    "Strasse", "CH-8001", "total:",
                                       "(VAT)",   "qty", "item", "a@b.ch", "[x]",     "~",       "Rechnung"};
  while (out.size() < n) {
    switch (kind) {
      case 0:  // random bytes
        out.push_back(static_cast<std::uint8_t>(rng()));
        break;
      case 1: {  // text with numbers
        const std::string w = rng() % 3 == 0 ? std::to_string(rng() % 1000000) : kWords[rng() % 14];
        out.insert(out.end(), w.begin(), w.end());
        out.push_back(rng() % 10 == 0 ? '\n' : ' ');
        break;
      }
      case 2:  // digits
        out.push_back(static_cast<std::uint8_t>('0' + rng() % 10));
        break;
      default: {  // text and binary runs taking turns
        const std::size_t run = 20 + rng() % 400;
        const bool binary = rng() % 2 == 0;
        for (std::size_t i = 0; i < run; ++i) {
          out.push_back(binary ? static_cast<std::uint8_t>(rng()) : static_cast<std::uint8_t>('a' + rng() % 26));
        }
        break;
      }
    }
  }
  out.resize(n);
  if (kind == 4) {  // a compressed file
    uLongf size = compressBound(static_cast<uLong>(out.size()));
    Bytes packed(size);
    compress2(packed.data(), &size, out.data(), static_cast<uLong>(out.size()), 6);
    packed.resize(size);
    return packed;
  }
  return out;
}

int g_rescaled = 0;  // symbols read only at another scale

// zxing-cpp misses some compact symbols at one scale that it reads at another (Java ZXing reads
// them at the first): two more scales before giving up.
std::optional<torv::test::Pdf417Reading> readBack(enc::Encoder& encoder, std::string& why) {
  std::int32_t size = 0;
  if (encoder.write(nullptr, &size) != 0) return std::nullopt;
  const enc::Symbol& symbol = encoder.symbol();
  const int width = static_cast<int>(symbol.moduleRow(0).widthModules());
  Bytes grey;
  for (unsigned r = 0; r < symbol.rows; ++r) {
    symbol.moduleRow(r).forEachPiece([&](enc::ModulePiece piece) {
      for (unsigned bit = piece.count; bit-- > 0;) grey.push_back((piece.bits >> bit) & 1u ? 0 : 255);
    });
  }
  torv::test::Pdf417ReadOptions options;
  for (const auto& [modulePx, rowPx] : {std::pair{3, 4}, std::pair{3, 9}, std::pair{5, 4}}) {
    options.minModulePx = modulePx;
    options.minRowPx = rowPx;
    if (auto reading = torv::test::readPdf417(width, symbol.rows, grey.data(), width, options, why)) {
      if (modulePx != 3 || rowPx != 4) ++g_rescaled;
      return reading;
    }
  }
  return std::nullopt;
}

// Symbols that filling each in turn takes: the bound the split must meet.
std::size_t filledInTurn(const enc::Encoder& settings, const Bytes& data, const enc::MacroFile& file) {
  enc::Encoder trial = settings;
  std::vector<std::uint16_t> block;
  std::size_t pos = 0, count = 0;
  const std::uint16_t checksum = file.checksum ? enc::macroChecksum(data.data(), data.size()) : 0;
  while (pos < data.size() || count == 0) {
    std::size_t best = 0;
    // Largest prefix that encodes as a non-last segment (count field at its widest), by bisection.
    std::size_t lo = 0, hi = data.size() - pos;
    while (lo < hi) {
      const std::size_t mid = (lo + hi + 1) / 2;
      block.clear();
      const bool last = pos + mid == data.size();
      enc::appendMacroControlBlock(file, data.size(), checksum, {static_cast<std::uint32_t>(count), 99999, last},
                                   block);
      trial.setMacroControlBlock(block.data(), static_cast<unsigned>(block.size()));
      std::int32_t size = 0;
      if (trial.encode(data.data() + pos, static_cast<std::uint32_t>(mid)) == 1 && trial.write(nullptr, &size) == 0) {
        lo = mid;
      } else {
        hi = mid - 1;
      }
    }
    best = lo;
    ++count;
    if (best == 0 && pos < data.size()) return SIZE_MAX;
    pos += best;
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  const int sets = argc > 1 ? std::atoi(argv[1]) : 300;
  std::mt19937 rng(argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 2929u);
  int failures = 0, fewer = 0;
  long symbols = 0;
  double worstSpread = 0;
  std::size_t largest = 0;
  for (int s = 0; s < sets; ++s) {
    const int kind = static_cast<int>(rng() % 5);
    const std::size_t length = rng() % 4 == 0 ? rng() % 300 : 300 + rng() % 12000;
    const Bytes data = makeData(rng, kind, length);
    enc::Encoder encoder;
    const int level = static_cast<int>(rng() % 7);
    if (rng() % 4 != 0) encoder.setEccLevel(level);
    const int shape = static_cast<int>(rng() % 3);
    if (shape == 0) {
      encoder.setSizingMode(enc::SIZING_FIXED);
      encoder.setRowsColumns(0, 1 + static_cast<int>(rng() % 30));
    } else if (shape == 1) {
      encoder.setSizingMode(enc::SIZING_FIXED);
      encoder.setRowsColumns(3 + static_cast<int>(rng() % 88), 0);
    }
    encoder.setCompact(rng() % 4 == 0);
    enc::MacroFile file;
    file.fileId = {static_cast<std::uint16_t>(rng() % 900), static_cast<std::uint16_t>(rng() % 900)};
    if (rng() % 2) file.fileName = "file-" + std::to_string(s) + ".bin";
    file.checksum = rng() % 2 == 0;
    file.fileSize = rng() % 2 == 0;
    enc::MacroSet set;
    const int rc = set.split(encoder, data.data(), static_cast<std::uint32_t>(data.size()), file);
    if (rc != 0) continue;  // more than 99,999 symbols or no room: refused, not a failure
    const std::size_t bound = filledInTurn(encoder, data, file);
    if (set.size() > bound) {
      std::printf("set %d (kind %d, %zu bytes, shape %d, level %d): %zu symbols, filling in turn takes %zu\n", s, kind,
                  data.size(), shape, level, set.size(), bound);
      ++failures;
    }
    if (set.size() < bound) ++fewer;
    char id[16];
    std::snprintf(id, sizeof id, "%03u%03u", file.fileId[0], file.fileId[1]);
    Bytes joined;
    std::uint32_t shortest = UINT32_MAX, longest = 0;
    for (std::size_t i = 0; i < set.size(); ++i) {
      std::string why;
      std::optional<torv::test::Pdf417Reading> reading;
      if (set.encode(encoder, i) == 1) reading = readBack(encoder, why);
      if (!reading || reading->sequenceIndex != static_cast<int>(i) ||
          reading->sequenceSize != static_cast<int>(set.size()) || reading->sequenceId != id) {
        std::printf("set %d symbol %zu: not read as such (%s)\n", s, i, why.c_str());
        ++failures;
        break;
      }
      joined.insert(joined.end(), reading->bytes.begin(), reading->bytes.end());
      if (i + 1 < set.size()) {
        shortest = std::min<std::uint32_t>(shortest, encoder.message()->count);
        longest = std::max<std::uint32_t>(longest, encoder.message()->count);
      }
    }
    if (joined != data) {
      std::printf("set %d: does not reassemble\n", s);
      ++failures;
    }
    symbols += static_cast<long>(set.size());
    largest = std::max(largest, set.size());
    if (set.size() > 2 && longest > 0) {
      const double spread = static_cast<double>(longest - shortest) / longest;
      if (spread > 0.05) {
        std::printf("set %d (kind %d, %zu bytes, %zu symbols): %u to %u data codewords\n", s, kind, data.size(),
                    set.size(), shortest, longest);
      }
      worstSpread = std::max(worstSpread, spread);
    }
  }
  std::printf(
      "%d sets, %ld symbols (largest set %zu) read back by zxing-cpp (%d at a second scale): %d failures; %d sets "
      "fewer than filling in turn; largest spread of the data codewords of a set's symbols (but the last): %.1f%%\n",
      sets, symbols, largest, g_rescaled, failures, fewer, 100 * worstSpread);
  return failures == 0 ? 0 : 1;
}
