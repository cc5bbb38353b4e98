// SPDX-License-Identifier: Apache-2.0
#include "pdf417/ecc_rules.h"

#include <algorithm>

#include "pdf417/pdf417.h"

namespace torv::pdf417 {
namespace {

// kEccPercent of n, to the nearest whole number.
unsigned shareOf(unsigned n) { return (kEccPercent * n + 50) / 100; }

// The level for a whole symbol of `slots` codewords: the share that error correction takes of it
// when the data keeps 100 parts in (100 + kEccPercent).
unsigned levelForSlots(unsigned slots) { return levelFor(slots - 100 * slots / (kEccPercent + 100)); }

unsigned explicitLevel(const Pdf417Options& o) { return std::min<unsigned>(o.eccLevel, 8); }

}  // namespace

unsigned levelFor(unsigned value) {
  for (unsigned i = 8; i > 1; --i) {
    if (value >= kLevelThreshold[i]) return i;
  }
  return 1;
}

unsigned plannedLevel(const Pdf417Options& o, unsigned slots) {
  return o.eccExplicit ? explicitLevel(o) : levelForSlots(slots);
}

unsigned writeLevel(const Pdf417Options& o, unsigned dataCount) {
  if (o.eccExplicit) return explicitLevel(o);
  if (o.sizingMode == SIZING_FIXED) {
    if (o.rows != 0 && o.columns != 0) return levelForSlots(unsigned{o.rows} * o.columns);
    if (o.columns == 0 && o.rows != 0) return levelFor(shareOf(o.rows * ceilDiv(dataCount, o.rows)));
    if (o.rows == 0 && o.columns != 0) {
      return levelFor(shareOf(o.columns * std::max(3u, ceilDiv(dataCount, o.columns))));
    }
  }
  return levelFor(shareOf(dataCount));
}

RaisedLevel raiseLevel(const Pdf417Options& o, unsigned level, unsigned pads) {
  while (!o.eccExplicit && level < 8) {
    const unsigned cost = eccCodewordCount(level + 1) - eccCodewordCount(level);
    if (pads < cost) break;
    pads -= cost;
    ++level;
  }
  return {level, pads};
}

}  // namespace torv::pdf417
