// SPDX-License-Identifier: Apache-2.0
// Every rule about the error-correction level, in one place: the level an encode keeps room for,
// the level a write chooses, the automatic raise and the check-codeword count.
//
// The guarantee between the two steps. An encode plans `slots` codewords and leaves
// capacity = slots - eccCodewordCount(plannedLevel) for the data. With the options of that encode
// unchanged, every data count n <= capacity then has an arrangement at write, because the level
// chosen at write never needs more check codewords than the plan kept free, and every total up to
// the planned slots has rows and columns within the bounds. One exception is kept, because the
// level rules are fixed: in bounded mode with the automatic level, the plan takes its level from
// slots - 100 * slots / 110 but the write from 10 % of n, so near a full symbol the write level can
// be higher than planned and the write reports PDF417_ERR_NO_ARRANGEMENT (bounds 33 x 15: plan level
// 4, room 463; 463 data codewords ask for level 5, and 527 codewords fit no arrangement). Options
// changed between encode and write are not covered. A unit test sweeps every option set the
// setters accept.
#pragma once

#include <cstdint>

#include "pdf417/options.h"

namespace torv::pdf417 {

// The automatic level aims at this share, in per cent, of the codewords for error correction.
constexpr unsigned kEccPercent = 10;

// levelFor picks the largest level i (1..8) with value >= kLevelThreshold[i].
constexpr std::uint16_t kLevelThreshold[9] = {0, 0, 4, 11, 21, 46, 101, 201, 401};

constexpr unsigned ceilDiv(unsigned a, unsigned b) { return (a + b - 1) / b; }

// Check codewords for level 0..8: 2^(level+1).
constexpr unsigned eccCodewordCount(unsigned level) { return 2u << level; }

// The largest level 1..8 whose threshold value reaches.
unsigned levelFor(unsigned value);

// The level an encode keeps room for in `slots` codewords.
unsigned plannedLevel(const Pdf417Options& options, unsigned slots);

// The level a write starts from for dataCount data codewords (length descriptor included).
unsigned writeLevel(const Pdf417Options& options, unsigned dataCount);

struct RaisedLevel {
  unsigned level;
  unsigned pads;
};

// With the automatic level, spare pads buy more error correction while they pay for the next level.
RaisedLevel raiseLevel(const Pdf417Options& options, unsigned level, unsigned pads);

}  // namespace torv::pdf417
