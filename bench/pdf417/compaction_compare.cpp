// SPDX-License-Identifier: Apache-2.0
// Fewest-codeword compaction against zint and against the default rules, on generated texts of eight
// kinds: data codewords (the ECI designator included, pads excluded) of each, and every symbol of
// the fewest mode read back by zxing-cpp to the same bytes.
//
// zint's count is read from its own symbol: its module rows are looked up in the codeword patterns,
// the length descriptor gives data plus pads, and the trailing 900s are the pads.
//
// Then the speed of the fewest mode (encode plus a BMP in memory: level 2, 8 columns, 1-pixel modules,
// 4-pixel rows) beside zint at its cheapest for the same bytes and ECI: a record per call and
// OUT_BUFFER_INTERMEDIATE, rounds alternating, thread CPU time.
//
// Usage: pdf417_compaction_compare [texts, default 20000] [seed, default 29] [seconds per round, 0.1]
// Exit status 0 when no text took more codewords than zint or the rules and every symbol read back.
#include <time.h>
#include <zint.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include <ZXing/ReadBarcode.h>

#include "alternating_timer.h"
#include "pdf417/compaction.h"
#include "pdf417/encoder.h"
#include "pdf417/fewest_compaction.h"
#include "pdf417/symbol_patterns.h"

namespace {

namespace enc = torv::pdf417;
using Bytes = std::string;

struct Sample {
  Bytes data;
  int eci;  // -1 none
};

// ---- texts ---------------------------------------------------------------------------------------

class Texts {
 public:
  explicit Texts(unsigned seed) : rng_(seed) {}

  int below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
  int length() { return 1 + below(below(4) == 0 ? 400 : 80); }

  Bytes digits() {
    Bytes s;
    for (int i = length(); i-- > 0;) s += static_cast<char>('0' + below(10));
    return s;
  }
  Bytes from(const char* alphabet, int n) {
    const std::string a = alphabet;
    Bytes s;
    for (int i = 0; i < n; ++i) s += a[static_cast<std::size_t>(below(static_cast<int>(a.size())))];
    return s;
  }
  // Words, numbers and punctuation as in addresses, invoices and labels.
  Bytes mixedText() {
    static const char* words[] = {"Order", "no.",    "INV", "qty", "Street", "the",    "PDF417", "Box",      "EUR",
                                  "kg",    "Total:", "Ref", "ABC", "x",      "Hello,", "world!", "Main St.", "Zip"};
    Bytes s;
    const int n = length();
    while (static_cast<int>(s.size()) < n) {
      switch (below(5)) {
        case 0:
          s += from("0123456789", 1 + below(below(3) == 0 ? 20 : 6));
          break;
        case 1:
          s += from(".,:-/#()@&*", 1 + below(2));
          break;
        default:
          s += words[below(sizeof words / sizeof *words)];
      }
      s += below(4) == 0 ? "" : (below(6) == 0 ? "\r\n" : " ");
    }
    return s;
  }
  Bytes punctuationRuns() {
    Bytes s;
    const int n = length();
    while (static_cast<int>(s.size()) < n) {
      switch (below(4)) {
        case 0:
          s += from(";<>@[\\]_`~!\"|()?{}'", 1 + below(8));
          break;
        case 1:
          s += from("ABCDEFGHIJKLMNOPQRSTUVWXYZ", 1 + below(6));
          break;
        case 2:
          s += from("abcdefghijklmnopqrstuvwxyz", 1 + below(6));
          break;
        default:
          s += from("0123456789&\r\t,:#-.$/+%*=^", 1 + below(6));
      }
    }
    return s;
  }
  Bytes binary() {
    Bytes s;
    for (int i = length(); i-- > 0;) s += static_cast<char>(below(256));
    return s;
  }
  Bytes latin1() {
    Bytes s = from("abcdefghijklmnopqrstuvwxyz ABCDEFGHIJ \xe4\xf6\xfc\xdf\xe9\xe8\xe0\xc4\xd6\xdc\xf1\xe7\xb0\xa7",
                   length());
    return s;
  }
  Bytes utf8() {
    static const char* pieces[] = {"\xd0\x9c\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0",
                                   "\xce\xb1\xce\xb2\xce\xb3",
                                   "\xe6\x97\xa5\xe6\x9c\xac",
                                   "Stra\xc3\x9f"
                                   "e",
                                   "\xe2\x82\xac",
                                   " ",
                                   "12345",
                                   "abc",
                                   "ABC",
                                   ", ",
                                   "\xf0\x9f\x98\x80"};
    Bytes s;
    const int n = length();
    while (static_cast<int>(s.size()) < n) s += pieces[below(sizeof pieces / sizeof *pieces)];
    return s;
  }
  Bytes alnumWithDigitRuns() {
    Bytes s;
    const int n = length();
    while (static_cast<int>(s.size()) < n) {
      s += from("ABCDEFGHIJKLMNOPQRSTUVWXYZ", 1 + below(5));
      s += from("-/ ", below(2));
      s += from("0123456789", 1 + below(below(2) == 0 ? 30 : 8));
    }
    return s;
  }
  Bytes controlsAndCase() { return from("aAbBcCdDeE \r\n\t\x01\x1e\x1d\x7f.,0123", length()); }

  Sample make(int kind) {
    switch (kind) {
      case 0:
        return {digits(), -1};
      case 1:
        return {mixedText(), -1};
      case 2:
        return {punctuationRuns(), -1};
      case 3:
        return {binary(), -1};
      case 4:
        return {latin1(), -1};
      case 5:
        return {utf8(), 26};
      case 6:
        return {alnumWithDigitRuns(), -1};
      default:
        return {controlsAndCase(), -1};
    }
  }

 private:
  std::mt19937 rng_;
};

constexpr int kKinds = 8;
const char* const kKindNames[kKinds] = {"digits",  "mixed text",   "punctuation runs",   "binary",
                                        "Latin-1", "UTF-8 ECI 26", "alnum + digit runs", "controls, case"};

// ---- zint's count --------------------------------------------------------------------------------

class PatternIndex {
 public:
  PatternIndex() {
    for (int c = 0; c < 3; ++c) {
      for (int cw = 0; cw < 929; ++cw) byPattern_[c][0x10000u | enc::kSymbolPatterns[c][cw]] = cw;
    }
  }
  int lookup(int cluster, std::uint32_t pattern) const {
    const auto it = byPattern_[cluster].find(pattern);
    return it == byPattern_[cluster].end() ? -1 : it->second;
  }

 private:
  std::unordered_map<std::uint32_t, int> byPattern_[3];
};

bool moduleSet(const zint_symbol* z, int row, int column) {
  return (z->encoded_data[row][column >> 3] >> (column & 7)) & 1;
}

// Data codewords of zint's symbol (designator included, descriptor and pads excluded), or -1.
int zintCount(const Sample& s, const PatternIndex& patterns) {
  zint_symbol* z = ZBarcode_Create();
  z->symbology = BARCODE_PDF417;
  z->input_mode = DATA_MODE;
  z->option_1 = 2;
  z->option_2 = 30;
  if (s.eci >= 0) z->eci = s.eci;
  int count = -1;
  if (ZBarcode_Encode(z, reinterpret_cast<const unsigned char*>(s.data.data()), static_cast<int>(s.data.size())) <
      ZINT_ERROR) {
    const int columns = (z->width - 17 - 17 - 17 - 18) / 17;
    std::vector<int> sequence;
    bool ok = true;
    for (int r = 0; r < z->rows && ok; ++r) {
      for (int c = 0; c < columns; ++c) {
        std::uint32_t pattern = 0;
        for (int m = 0; m < 17; ++m) pattern = pattern << 1 | (moduleSet(z, r, 34 + 17 * c + m) ? 1u : 0u);
        const int cw = patterns.lookup(r % 3, pattern);
        if (cw < 0) {
          ok = false;
          break;
        }
        sequence.push_back(cw);
      }
    }
    if (ok && !sequence.empty() && sequence[0] <= static_cast<int>(sequence.size())) {
      int n = sequence[0];
      while (n > 1 && sequence[static_cast<std::size_t>(n) - 1] == 900) --n;
      count = n - 1;
    }
  }
  ZBarcode_Delete(z);
  return count;
}

// ---- ours ----------------------------------------------------------------------------------------

int rulesCount(const Sample& s) {
  enc::CapacityPlan plan;
  plan.capacity = enc::kMaxSlots;
  enc::CodewordBuffer message;
  enc::InputCursor in{reinterpret_cast<const std::uint8_t*>(s.data.data()), 0,
                      static_cast<std::uint32_t>(s.data.size())};
  enc::compact(in, plan, message, s.eci);
  return in.pos == in.end ? message.count - 1 : -1;
}

// The fewest mode's symbol, read back by zxing-cpp: its bytes, or a note why not.
bool readsBack(const enc::Encoder& encoder, const Sample& s, std::string& why) {
  const enc::Symbol& symbol = encoder.symbol();
  const int modulePx = 2, rowPx = 6, quiet = 30;
  const int width = static_cast<int>(symbol.moduleRow(0).widthModules());
  const int w = width * modulePx + 2 * quiet;
  const int h = static_cast<int>(symbol.rows) * rowPx + 2 * quiet;
  std::vector<std::uint8_t> grey(static_cast<std::size_t>(w) * h, 255);
  for (unsigned r = 0; r < symbol.rows; ++r) {
    int x = 0;
    std::vector<bool> dark;
    symbol.moduleRow(r).forEachPiece([&](enc::ModulePiece piece) {
      for (unsigned bit = piece.count; bit-- > 0;) dark.push_back((piece.bits >> bit) & 1u);
    });
    for (bool d : dark) {
      if (d) {
        for (int y = 0; y < rowPx; ++y) {
          for (int k = 0; k < modulePx; ++k)
            grey[static_cast<std::size_t>(quiet + r * rowPx + y) * w + quiet + x + k] = 0;
        }
      }
      x += modulePx;
    }
  }
  const ZXing::ImageView image(grey.data(), w, h, ZXing::ImageFormat::Lum);
  const auto hints = ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::PDF417).setTryRotate(false);
  const ZXing::Result result = ZXing::ReadBarcode(image, hints);
  if (!result.isValid()) {
    why = "not read";
    return false;
  }
  const ZXing::ByteArray& bytes = result.bytes();
  if (std::string(bytes.begin(), bytes.end()) != s.data) {
    why = "read other bytes";
    return false;
  }
  return true;
}

struct Tally {
  long texts = 0, zintFailed = 0, moreThanZint = 0, fewerThanZint = 0, moreThanRules = 0, unread = 0;
  long ours = 0, zint = 0, rules = 0, oursBesideRules = 0, rulesTexts = 0;
  int maxFewer = 0, maxFewerThanRules = 0;
};

std::string printable(const Bytes& b) {
  std::string out;
  for (unsigned char c : b.substr(0, 60)) {
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  return out;
}

// ---- speed ---------------------------------------------------------------------------------------

volatile std::uint64_t g_sink = 0;

using torv::bench::timeAlternating;

std::vector<std::uint8_t> g_image(1 << 20);

bool encodeOurs(const Sample& s) {
  enc::Encoder encoder;
  encoder.setCompaction(enc::Compaction::Fewest);
  encoder.setEci(s.eci);
  encoder.setEccLevel(2);
  encoder.setSizingMode(enc::SIZING_FIXED);
  encoder.setRowsColumns(0, 8);
  encoder.setRowHeightRatio("4");
  encoder.setBitmapWriter(1, true);
  enc::Pdf417Stream out;
  enc::pdf417OpenMemory(&out, enc::PDF417_STREAM_OUTPUT, g_image.data(), static_cast<std::uint32_t>(g_image.size()));
  std::int32_t written = 0;
  const bool ok = encoder.encode(s.data.data(), static_cast<std::uint32_t>(s.data.size())) == 1 &&
                  encoder.write(&out, &written) == 0;
  g_sink = g_sink + static_cast<std::uint64_t>(written) + g_image[100];
  return ok;
}

bool encodeZintCheapest(const Sample& s) {
  zint_symbol* z = ZBarcode_Create();
  if (z == nullptr) return false;
  z->symbology = BARCODE_PDF417;
  z->option_1 = 2;
  z->option_2 = 8;
  z->input_mode = DATA_MODE | HEIGHTPERROW_MODE;
  z->height = 4;
  z->scale = 0.5f;
  if (s.eci >= 0) z->eci = s.eci;
  z->output_options |= OUT_BUFFER_INTERMEDIATE;
  const bool ok = ZBarcode_Encode_and_Buffer(z, reinterpret_cast<const unsigned char*>(s.data.data()),
                                             static_cast<int>(s.data.size()), 0) < ZINT_ERROR;
  if (ok) g_sink = g_sink + z->bitmap[0] + static_cast<std::uint64_t>(z->bitmap_width);
  ZBarcode_Delete(z);
  return ok;
}

// One text of each kind, of 20 to 300 bytes.
double timeKinds(unsigned seed, double seconds) {
  Texts texts(seed + 1);
  std::printf(
      "\nspeed, fewest mode (encode + BMP) beside zint at its cheapest (record per call, "
      "OUT_BUFFER_INTERMEDIATE), median of 7 alternating rounds of %.2f s\n",
      seconds);
  std::printf("%-20s %6s %10s %10s %9s\n", "kind", "bytes", "ours us", "zint us", "zint/our");
  double least = 1e9;
  for (int kind = 0; kind < kKinds; ++kind) {
    Sample s = texts.make(kind);
    while (s.data.size() < 20 || s.data.size() > 300) s = texts.make(kind);
    if (!encodeOurs(s) || !encodeZintCheapest(s)) {
      std::printf("%-20s failed\n", kKindNames[kind]);
      continue;
    }
    const auto [ours, zint] = timeAlternating([&] { encodeOurs(s); }, [&] { encodeZintCheapest(s); }, seconds);
    least = std::min(least, zint / ours);
    std::printf("%-20s %6zu %10.2f %10.2f %8.2fx\n", kKindNames[kind], s.data.size(), ours, zint, zint / ours);
  }
  std::printf("smallest ratio zint / ours: %.2fx (target 5x)\n", least);
  return least;
}

}  // namespace

int main(int argc, char** argv) {
  const long total = argc > 1 ? std::atol(argv[1]) : 20000;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 29u;
  Texts texts(seed);
  const PatternIndex patterns;
  Tally kinds[kKinds];
  int shown = 0;
  for (long i = 0; i < total; ++i) {
    const int kind = static_cast<int>(i % kKinds);
    const Sample s = texts.make(kind);
    Tally& t = kinds[kind];
    ++t.texts;

    enc::Encoder encoder;
    encoder.setCompaction(enc::Compaction::Fewest);
    encoder.setEci(s.eci);
    encoder.setBitmapWriter(1, true);
    std::string why;
    if (encoder.encode(s.data.data(), static_cast<std::uint32_t>(s.data.size())) != 1) {
      why = "not encoded";
    } else {
      std::int32_t size = 0;
      if (encoder.write(nullptr, &size) != 0) why = "not laid out";
    }
    const int ours = why.empty() ? encoder.message()->count - 1 : -1;
    if (why.empty()) readsBack(encoder, s, why);
    if (!why.empty()) {
      ++t.unread;
      if (shown++ < 20) std::printf("%s: %s: '%s'\n", kKindNames[kind], why.c_str(), printable(s.data).c_str());
      continue;
    }
    const int rules = rulesCount(s);
    if (rules >= 0) {
      ++t.rulesTexts;
      t.rules += rules;
      t.oursBesideRules += ours;
      if (ours > rules) {
        ++t.moreThanRules;
        if (shown++ < 20)
          std::printf("%s: %d > rules %d: '%s'\n", kKindNames[kind], ours, rules, printable(s.data).c_str());
      }
      t.maxFewerThanRules = std::max(t.maxFewerThanRules, rules - ours);
    }
    const int zint = zintCount(s, patterns);
    if (zint < 0) {
      ++t.zintFailed;
      continue;
    }
    t.ours += ours;
    t.zint += zint;
    if (ours > zint) {
      ++t.moreThanZint;
      if (shown++ < 20)
        std::printf("%s: %d > zint %d: '%s'\n", kKindNames[kind], ours, zint, printable(s.data).c_str());
    }
    if (ours < zint) ++t.fewerThanZint;
    t.maxFewer = std::max(t.maxFewer, zint - ours);
  }

  std::printf("\nzint %s (BARCODE_PDF417, DATA_MODE, same ECI); %ld texts, seed %u\n", "2.11 via libzint", total, seed);
  std::printf("%-20s %6s %8s %8s %6s %6s %9s %8s %8s %7s %9s\n", "kind", "texts", "ours", "zint", "fewer", "more",
              "max fewer", "rules", "fewer/r", "max/r", "unread");
  Tally sum;
  for (int k = 0; k < kKinds; ++k) {
    const Tally& t = kinds[k];
    std::printf("%-20s %6ld %8ld %8ld %6ld %6ld %9d %8ld %8ld %7d %9ld\n", kKindNames[k], t.texts, t.ours, t.zint,
                t.fewerThanZint, t.moreThanZint, t.maxFewer, t.rules, t.rules - t.oursBesideRules, t.maxFewerThanRules,
                t.unread);
    sum.texts += t.texts;
    sum.ours += t.ours;
    sum.zint += t.zint;
    sum.rules += t.rules;
    sum.oursBesideRules += t.oursBesideRules;
    sum.fewerThanZint += t.fewerThanZint;
    sum.moreThanZint += t.moreThanZint;
    sum.moreThanRules += t.moreThanRules;
    sum.unread += t.unread;
    sum.zintFailed += t.zintFailed;
    sum.maxFewer = std::max(sum.maxFewer, t.maxFewer);
    sum.maxFewerThanRules = std::max(sum.maxFewerThanRules, t.maxFewerThanRules);
  }
  std::printf("%-20s %6ld %8ld %8ld %6ld %6ld %9d %8ld %8ld %7d %9ld\n", "all", sum.texts, sum.ours, sum.zint,
              sum.fewerThanZint, sum.moreThanZint, sum.maxFewer, sum.rules, sum.rules - sum.oursBesideRules,
              sum.maxFewerThanRules, sum.unread);
  std::printf("more than zint on %ld, more than the rules on %ld, zint failed on %ld, not read back %ld\n",
              sum.moreThanZint, sum.moreThanRules, sum.zintFailed, sum.unread);
  const double seconds = argc > 3 ? std::atof(argv[3]) : 0.1;
  if (seconds > 0) timeKinds(seed, seconds);
  return sum.moreThanZint == 0 && sum.moreThanRules == 0 && sum.unread == 0 ? 0 : 1;
}
