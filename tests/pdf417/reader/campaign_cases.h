// SPDX-License-Identifier: Apache-2.0
// The decode campaign's cases, shared with the BMP corpus check: a seeded generator, option sets of
// every kind and payloads whose length follows the room the options plan.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "encode_check.h"
#include "pdf417/pdf417.h"
#include "symbol_model.h"

namespace torv::test::campaign {

using torv::test::EncodeCase;

using Bytes = std::vector<std::uint8_t>;

class Rng {
 public:
  explicit Rng(std::uint32_t seed) : engine_(seed) {}
  int below(int n) { return n <= 1 ? 0 : static_cast<int>(engine_() % static_cast<std::uint32_t>(n)); }
  int between(int lo, int hi) { return lo + below(hi - lo + 1); }
  bool chance(int percent) { return below(100) < percent; }
  template <typename T>
  const T& pick(const std::vector<T>& v) {
    return v[static_cast<std::size_t>(below(static_cast<int>(v.size())))];
  }

 private:
  std::mt19937 engine_;
};

// ---- options --------------------------------------------------------------------------------------

struct Ratio {
  const char* text;
  int value;
};
inline const std::vector<Ratio> kAspects = {{"1:2", 50},    {"1:1", 100},   {"3:1", 300}, {"1:5", 20}, {"0.5:1", 50},
                                            {"2.5:1", 250}, {"10:1", 1000}, {"1:10", 10}, {"1:3", 33}, {"2:3", 66}};
struct RowHeight {
  const char* text;
  int num, den;
};
inline const std::vector<RowHeight> kRowHeights = {{"3", 3, 1},   {"1", 1, 1},       {"2:1", 2, 1},
                                                   {"4:3", 4, 3}, {"1:2", 1, 2},     {"25:1", 25, 1},
                                                   {"5:2", 5, 2}, {"3.7:1.9", 3, 1}, {"1:25", 1, 25}};

inline EncodeCase randomOptions(Rng& rng) {
  EncodeCase c;
  const int e = rng.below(100);
  if (e < 20)
    c.eccLevel = EncodeCase::kNoCall;  // automatic level
  else if (e < 28)
    c.eccLevel = rng.chance(50) ? 9 : -1;  // rejected: automatic level stays
  else
    c.eccLevel = rng.between(0, 8);
  const int s = rng.below(100);
  if (s < 30) {
    // bounded, default bounds
  } else if (s < 45) {
    c.sizingMode = torv::pdf417::SIZING_BOUNDED;
    c.setRowsColumns = true;
    c.rows = rng.between(3, 90);
    c.columns = rng.between(1, 30);
  } else if (s < 88) {
    c.sizingMode = torv::pdf417::SIZING_FIXED;
    c.setRowsColumns = true;
    const int kind = rng.below(3);
    c.rows = kind == 1 ? 0 : rng.between(3, 90);
    c.columns = kind == 2 ? 0 : rng.between(1, 30);
    while (kind == 0 && c.rows * c.columns > 928) c.rows = rng.between(3, 90);
  } else {
    c.sizingMode = torv::pdf417::SIZING_FIXED;  // a request the setter refuses: 58 x 16 stays
    c.setRowsColumns = true;
    c.rows = rng.pick(std::vector<int>{1, 2, 91, 60});
    c.columns = c.rows == 60 ? 20 : rng.between(0, 31);
  }
  if (rng.chance(50)) {
    const Ratio& a = rng.pick(kAspects);
    c.aspect = a.text;
    c.aspectValue = a.value;
  }
  if (rng.chance(50)) {
    const RowHeight& h = rng.pick(kRowHeights);
    c.rowHeight = h.text;
    c.rowHeightNum = h.num;
    c.rowHeightDen = h.den;
  }
  c.moduleWidth = rng.between(0, 4);
  // Tall rows on wide modules only make the images large: keep the campaign quick.
  if (c.moduleWidth >= 3 && c.rowHeightNum / c.rowHeightDen >= 5) c.moduleWidth = 1;
  c.fileHeader = rng.chance(50);
  c.checkShortBuffer = rng.chance(10);
  return c;
}

// What the options plan for the data (length descriptor included); 0 when nothing fits.
inline int plannedRoom(const EncodeCase& c) {
  torv::test::ModelOptions m;
  if (c.eccLevel >= 0 && c.eccLevel <= 8) {
    m.eccExplicit = true;
    m.eccLevel = c.eccLevel;
  }
  if (c.sizingMode == torv::pdf417::SIZING_FIXED) {
    m.fixed = true;
    m.rows = 58;
    m.columns = 16;
  }
  if (c.setRowsColumns && torv::test::rowsColumnsAccepted(m.fixed, c.rows, c.columns)) {
    m.rows = c.rows;
    m.columns = c.columns;
  }
  const auto plan = torv::test::planCapacity(m);
  return plan.noRoom ? 0 : plan.capacity;
}

// ---- payloads -------------------------------------------------------------------------------------

inline const std::string kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline const std::string kLower = "abcdefghijklmnopqrstuvwxyz";
inline const std::string kMixedOnly = "&#+%=^";
inline const std::string kPunctOnly = ";<>@[\\]_`~!\"|(){}?'";
inline const std::string kShared = ",:-.$/*\t\r";

inline void appendRun(Rng& rng, Bytes& out, const std::string& alphabet, int n) {
  for (int i = 0; i < n; ++i)
    out.push_back(
        static_cast<std::uint8_t>(alphabet[static_cast<std::size_t>(rng.below(static_cast<int>(alphabet.size())))]));
}

inline void appendDigits(Rng& rng, Bytes& out, int n) { appendRun(rng, out, "0123456789", n); }

inline void appendBinary(Rng& rng, Bytes& out, int n) {
  for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(rng.below(256)));
}

// Text-encodable bytes in runs of one sub-mode, so latches and shifts of every kind occur.
inline Bytes textPayload(Rng& rng, int length) {
  Bytes b;
  while (static_cast<int>(b.size()) < length) {
    const int n = std::min(length - static_cast<int>(b.size()), rng.between(1, 9));
    switch (rng.below(8)) {
      case 0:
        appendRun(rng, b, kUpper, n);
        break;
      case 1:
      case 2:
        appendRun(rng, b, kLower, n);
        break;
      case 3:
        appendRun(rng, b, kMixedOnly, n);
        break;
      case 4:
        appendRun(rng, b, kPunctOnly, n);
        break;
      case 5:
        appendRun(rng, b, kShared + "\n ", n);
        break;
      case 6:
        appendDigits(rng, b, n);
        break;
      default:
        b.push_back(' ');
        break;
    }
  }
  return b;
}

// Runs of text, digits (short and long) and bytes that are not text, so the mode changes often.
inline Bytes mixedPayload(Rng& rng, int length) {
  Bytes b;
  while (static_cast<int>(b.size()) < length) {
    const int left = length - static_cast<int>(b.size());
    switch (rng.below(6)) {
      case 0:
        b.push_back(static_cast<std::uint8_t>(rng.between(128, 255)));
        break;
      case 1:
        appendBinary(rng, b, std::min(left, rng.between(1, 14)));
        break;
      case 2:
        appendDigits(rng, b, std::min(left, rng.between(1, 20)));
        break;
      case 3:
        appendDigits(rng, b, std::min(left, rng.between(13, 60)));
        break;
      default: {
        const Bytes t = textPayload(rng, std::min(left, rng.between(1, 12)));
        b.insert(b.end(), t.begin(), t.end());
      }
    }
  }
  b.resize(static_cast<std::size_t>(length));
  return b;
}

inline int lengthFor(Rng& rng, int room, double perCodeword) {
  const int most = std::max(1, static_cast<int>(room * perCodeword));
  return rng.between(1, most);
}

inline constexpr std::uint32_t kSeed = 0x7D417u;

}  // namespace torv::test::campaign
