// SPDX-License-Identifier: Apache-2.0
// The decode campaign: thousands of payloads of every kind, under every kind of option, each encoded,
// written as a BMP, read back structurally and by zxing-cpp to exactly the input bytes. Data that does
// not fit must fail with the documented code. The payloads come from a fixed seed, so every run checks
// the same symbols.
#include <iostream>

#include <gtest/gtest.h>

#include "campaign_cases.h"

namespace {

using torv::test::EncodeReport;
using namespace torv::test::campaign;

struct Tally {
  const char* name;
  int cases = 0, decoded = 0, empty = 0, tooLong = 0, noRoom = 0, noArrangement = 0;
  int latchText = 0, latchByte = 0, latchByte6 = 0, latchNumeric = 0, shiftByte = 0;  // symbols holding one
  ~Tally() {
    std::cout << "[campaign] " << name << ": " << cases << " cases, " << decoded << " decoded by zxing-cpp, " << empty
              << " empty, " << tooLong << " too long (-11), " << noRoom << " no room (-17), " << noArrangement
              << " no arrangement (-7); symbols with 900: " << latchText << ", 901: " << latchByte
              << ", 924: " << latchByte6 << ", 902: " << latchNumeric << ", 913: " << shiftByte << "\n";
  }
};

// Runs one case and records it; returns false after a failure (the test reports it).
bool run(Tally& tally, const Bytes& data, const EncodeCase& c, EncodeReport* out = nullptr) {
  EncodeReport report;
  const std::string failure = torv::test::runEncodeCase(data, c, report);
  ++tally.cases;
  if (report.decoded) ++tally.decoded;
  if (data.empty() && report.writeResult == 0 && report.encodeResult == 1) ++tally.empty;
  if (report.encodeResult == -11) ++tally.tooLong;
  if (report.encodeResult == -17) ++tally.noRoom;
  if (report.writeResult == -7) ++tally.noArrangement;
  tally.latchText += report.latchText > 0;
  tally.latchByte += report.latchByte > 0;
  tally.latchByte6 += report.latchByte6 > 0;
  tally.latchNumeric += report.latchNumeric > 0;
  tally.shiftByte += report.shiftByte > 0;
  if (out) *out = report;
  if (failure.empty()) return true;
  std::string shown;
  for (std::size_t i = 0; i < data.size() && i < 80; ++i) {
    const std::uint8_t b = data[i];
    if (b >= 32 && b < 127)
      shown += static_cast<char>(b);
    else
      shown += "\\x" + std::string(1, "0123456789abcdef"[b >> 4]) + "0123456789abcdef"[b & 15];
  }
  ADD_FAILURE() << failure << "\n  options: " << torv::test::describe(c) << "\n  " << data.size() << " bytes: \""
                << shown << (data.size() > 80 ? "...\"" : "\"");
  return false;
}

TEST(DecodeCampaign, TextPayloads) {
  Tally tally{"text"};
  Rng rng(kSeed + 1);
  for (int i = 0; i < 420; ++i) {
    const EncodeCase c = randomOptions(rng);
    const int room = plannedRoom(c);
    if (!run(tally, textPayload(rng, lengthFor(rng, room, 1.6)), c)) break;
  }
  // English prose with digit runs, as a caller would print it.
  const std::string prose =
      "The quick brown fox jumps over the lazy dog 1234567890 times; invoice no. 000213298174000, "
      "due 2024-05-31 (EUR 1,250.00). Call +49 30 12345678 or write to orders@example.com!\r\n";
  Bytes text;
  while (text.size() < 1000) text.insert(text.end(), prose.begin(), prose.end());
  for (int len : {1, 36, 99, 500, 1000}) {
    EncodeCase c;
    c.moduleWidth = 1 + len % 4;
    run(tally, Bytes(text.begin(), text.begin() + len), c);
  }
  EXPECT_GE(tally.decoded, 300);
}

TEST(DecodeCampaign, BinaryPayloads) {
  Tally tally{"binary"};
  Rng rng(kSeed + 2);
  // Every byte value, in order and reversed, and runs of 0x00.
  Bytes all;
  for (int v = 0; v < 256; ++v) all.push_back(static_cast<std::uint8_t>(v));
  Bytes reversed(all.rbegin(), all.rend());
  for (const Bytes& b :
       {all, reversed, Bytes(1, 0), Bytes(6, 0), Bytes(7, 0), Bytes(300, 0), Bytes(12, 0xFF), Bytes(13, 0x80)}) {
    EncodeCase c;
    c.eccLevel = 2;
    ASSERT_TRUE(run(tally, b, c));
  }
  for (int i = 0; i < 420; ++i) {
    const EncodeCase c = randomOptions(rng);
    Bytes b;
    appendBinary(rng, b, lengthFor(rng, plannedRoom(c), 1.15));
    if (!run(tally, b, c)) break;
  }
  EXPECT_GE(tally.decoded, 300);
}

TEST(DecodeCampaign, DigitRuns) {
  Tally tally{"digits"};
  Rng rng(kSeed + 3);
  std::vector<int> lengths;
  for (int n = 1; n <= 100; ++n) lengths.push_back(n);
  for (int n = 101; n <= 2000; n += rng.between(3, 11)) lengths.push_back(n);
  lengths.push_back(2000);
  for (int n : lengths) {
    EncodeCase c;
    if (rng.chance(60)) {
      c = randomOptions(rng);
      if (plannedRoom(c) * 2.9 < n) c = EncodeCase{};  // large runs mostly on the default symbol
    }
    c.moduleWidth = rng.between(1, 4);
    Bytes b;
    appendDigits(rng, b, n);
    if (!run(tally, b, c)) break;
  }
  EXPECT_GE(tally.decoded, 300);
}

TEST(DecodeCampaign, MixedModeSwitching) {
  Tally tally{"mixed"};
  Rng rng(kSeed + 4);
  for (int i = 0; i < 560; ++i) {
    const EncodeCase c = randomOptions(rng);
    if (!run(tally, mixedPayload(rng, lengthFor(rng, plannedRoom(c), 1.5)), c)) break;
  }
  EXPECT_GE(tally.decoded, 400);
  // The mixture really switches modes in every way.
  EXPECT_GE(tally.latchText, 100);
  EXPECT_GE(tally.latchByte, 100);
  EXPECT_GE(tally.latchByte6, 20);
  EXPECT_GE(tally.latchNumeric, 100);
  EXPECT_GE(tally.shiftByte, 100);
}

// Data exactly at the documented room, and one byte more, for data whose room is known in advance:
// non-text bytes (Byte Compaction), digit runs (Numeric Compaction) and capital letters (Text).
TEST(DecodeCampaign, AtAndJustPastCapacity) {
  Tally tally{"capacity"};
  Rng rng(kSeed + 5);
  auto digitsFor = [](int freeCodewords) {  // digits behind a 902 latch in freeCodewords codewords
    static const int t[15] = {0, 2, 5, 8, 11, 14, 17, 20, 23, 26, 29, 32, 35, 38, 41};
    const int k = freeCodewords - 1;
    return t[k % 15] + 44 * (k / 15);
  };
  for (int i = 0; i < 110; ++i) {
    EncodeCase c = randomOptions(rng);
    if (rng.chance(30)) c.eccLevel = rng.between(0, 8);
    c.checkShortBuffer = false;
    const int room = plannedRoom(c);
    if (room == 0) {
      ASSERT_TRUE(run(tally, Bytes{'A'}, c));  // -17 expected
      continue;
    }
    Bytes b;
    const int kind = i % 3;
    int fits = 0;
    if (kind == 0) {
      fits = torv::test::maxBytes(room - 2);
      for (int k = 0; k <= fits; ++k) b.push_back(static_cast<std::uint8_t>(rng.between(128, 255)));
    } else if (kind == 1) {
      fits = digitsFor(room - 1);
      if (fits < 14) continue;
      appendDigits(rng, b, fits + 1);
    } else {
      fits = 2 * (room - 1);
      appendRun(rng, b, kUpper, fits + 1);
    }
    EncodeReport report;
    const Bytes at(b.begin(), b.begin() + fits);
    if (!run(tally, at, c, &report)) continue;
    EXPECT_EQ(report.encodeResult, 1) << "data at capacity (" << fits << " bytes, kind " << kind
                                      << ") refused; options " << torv::test::describe(c);
    ASSERT_TRUE(run(tally, b, c, &report));
    EXPECT_EQ(report.encodeResult, torv::pdf417::PDF417_ERR_TOO_LONG)
        << "data past capacity (" << b.size() << " bytes, kind " << kind << ") accepted; options "
        << torv::test::describe(c);
  }
  // Empty data: only the structure can be checked.
  for (int i = 0; i < 40; ++i) run(tally, Bytes{}, randomOptions(rng));
  EXPECT_GE(tally.empty, 25);
}

// A few payloads under a grid of the drawing and sizing options: module widths, row heights, aspect
// targets and row/column bounds, where the chosen arrangement is compared with the documented rule.
TEST(DecodeCampaign, OptionGrid) {
  Tally tally{"options"};
  Rng rng(kSeed + 6);
  const std::vector<Bytes> payloads = {textPayload(rng, 20), mixedPayload(rng, 150),
                                       Bytes{'P', 'D', 'F', '4', '1', '7'}};
  for (const Bytes& data : payloads) {
    for (int module = 0; module <= 4; ++module) {
      for (const RowHeight& h : kRowHeights) {
        EncodeCase c;
        c.moduleWidth = module;
        c.rowHeight = h.text;
        c.rowHeightNum = h.num;
        c.rowHeightDen = h.den;
        if (module >= 3 && h.num / h.den >= 5) continue;
        const Ratio& a = rng.pick(kAspects);
        c.aspect = a.text;
        c.aspectValue = a.value;
        c.fileHeader = module % 2 == 0;
        if (!run(tally, data, c)) return;
      }
    }
    for (const Ratio& a : kAspects) {
      for (int bound : {1, 2, 5, 30}) {
        EncodeCase c;
        c.sizingMode = torv::pdf417::SIZING_BOUNDED;
        c.setRowsColumns = true;
        c.rows = 90;
        c.columns = bound;
        c.aspect = a.text;
        c.aspectValue = a.value;
        if (!run(tally, data, c)) return;
        c.rows = bound == 30 ? 20 : 3 * bound + 3;
        c.columns = 30;
        if (!run(tally, data, c)) return;
      }
    }
  }
  EXPECT_GE(tally.decoded, 150);
}

// Payloads cut at the longest prefix the options still hold: the compaction paths that run out of
// room (Text cut short, Numeric runs cut at the room, the all-bytes fallback) are all taken here.
TEST(DecodeCampaign, LongestPrefixThatFits) {
  Tally tally{"longest prefix"};
  Rng rng(kSeed + 7);
  int fallbacks = 0;  // longest prefixes held only by Byte Compaction of everything
  for (int i = 0; i < 60; ++i) {
    EncodeCase c = randomOptions(rng);
    c.checkShortBuffer = false;
    const int room = plannedRoom(c);
    if (room == 0) continue;
    const int length = 3 * room + 10;
    Bytes data;
    switch (i % 5) {
      case 4:
        // Costs more codewords in mixed modes than as bytes alone.
        while (static_cast<int>(data.size()) < length) {
          appendRun(rng, data, "aBcDe", 5);
          data.push_back(static_cast<std::uint8_t>(rng.between(128, 255)));
        }
        data.resize(static_cast<std::size_t>(length));
        break;
      case 0:
        data = textPayload(rng, length);
        break;
      case 1:
        data = mixedPayload(rng, length);
        break;
      case 2:
        appendRun(rng, data, kLower + " ", length);
        break;
      default:
        while (static_cast<int>(data.size()) < length) {
          appendDigits(rng, data, rng.between(1, 40));
          data.push_back(static_cast<std::uint8_t>(rng.pick(std::vector<int>{'.', 'x', 0x00, 0xE9})));
        }
        data.resize(static_cast<std::size_t>(length));
    }
    EncodeReport report;
    if (!run(tally, data, c, &report)) continue;
    if (report.encodeResult == 1) continue;  // holds it all
    int fits = 0, refused = length;
    bool ok = true;
    while (ok && refused - fits > 1) {
      const int mid = (fits + refused) / 2;
      ok = run(tally, Bytes(data.begin(), data.begin() + mid), c, &report);
      (report.encodeResult == 1 ? fits : refused) = mid;
    }
    if (ok && i % 5 == 4 && fits >= 6) {
      run(tally, Bytes(data.begin(), data.begin() + fits), c, &report);
      if (report.latchByte + report.latchByte6 == 1 && report.latchText + report.shiftByte + report.latchNumeric == 0) {
        ++fallbacks;
      }
    }
  }
  EXPECT_GE(tally.decoded, 200);
  std::cout << "[campaign] longest prefixes held by the all-bytes fallback: " << fallbacks << "\n";
  EXPECT_GE(fallbacks, 3) << "the all-bytes fallback was hardly reached";
}

// Module widths past the usual range and rows taller than 255 pixels.
TEST(DecodeCampaign, WideModulesAndTallRows) {
  Tally tally{"wide modules"};
  Rng rng(kSeed + 8);
  const Bytes data = mixedPayload(rng, 40);
  for (int module : {5, 8, 13, 20}) {
    for (const RowHeight& h : {RowHeight{"25:1", 25, 1}, RowHeight{"1:25", 1, 25}, RowHeight{"7:3", 7, 3}}) {
      EncodeCase c;
      c.sizingMode = torv::pdf417::SIZING_FIXED;
      c.setRowsColumns = true;
      c.rows = 0;
      c.columns = 2;
      c.moduleWidth = module;
      c.rowHeight = h.text;
      c.rowHeightNum = h.num;
      c.rowHeightDen = h.den;
      c.eccLevel = 1;
      c.fileHeader = module % 2 == 1;
      c.checkShortBuffer = true;
      if (!run(tally, data, c)) return;
    }
  }
  EXPECT_EQ(torv::pdf417::pdf417SetBitmapWriter(21, true), 0);
  EXPECT_EQ(tally.decoded, 12);
}

}  // namespace
