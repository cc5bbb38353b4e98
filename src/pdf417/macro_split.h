// SPDX-License-Identifier: Apache-2.0
// The split of a file over the fewest symbols of a Macro set, for any encoder: PDF417 (macro.cpp)
// and MicroPDF417 (micro_macro.cpp) each give a trial that answers what one symbol holds.
//
// A Trial has, for segment `index` of `count` (`last`: the one with the terminator), and `slack`
// codewords of room kept unused:
//   std::uint32_t room(index, count, last);   data codewords beside the control block, 0 when none
//   std::uint32_t fit(offset, limit, index, count, last, slack);
//       about how many of the `limit` bytes from `offset` on fit (a first guess, may be off by a few)
//   bool fitsExactly(offset, n, index, count, last, slack);   those n bytes fit
//   std::uint32_t used();                     data codewords of the last encode that fit
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "pdf417/macro.h"

namespace torv::pdf417 {

template <typename Trial>
class MacroSplitter {
 public:
  MacroSplitter(Trial& trial, std::uint32_t length) : trial_(trial), length_(length) {}

  // Each symbol in turn takes the most bytes it holds. `lastUsed` gets the data codewords of the last.
  bool greedy(std::uint32_t count, std::vector<MacroPiece>& out, std::uint32_t& lastUsed) {
    out.clear();
    std::uint32_t pos = 0;
    for (;;) {
      const auto index = static_cast<std::uint32_t>(out.size());
      if (index >= kMaxMacroSegments) return false;
      const std::uint32_t rest = length_ - pos;
      // As the last segment, with its terminator, when all the rest fits so.
      if (trial_.fitsExactly(pos, rest, index, count, true, 0)) {
        lastUsed = trial_.used();
        out.push_back({pos, rest});
        return true;
      }
      const std::uint32_t m = largest(pos, rest == 0 ? 0 : rest - 1, index, count);
      if (m == 0) return false;
      out.push_back({pos, m});
      pos += m;
    }
  }

  // `count` symbols that share the codewords out evenly: each takes about the codewords still needed
  // over the symbols still to come, plus `tolerance`. False when the last one cannot hold the rest.
  bool balanced(std::uint32_t count, std::uint32_t needed, std::uint32_t tolerance, std::vector<MacroPiece>& out) {
    out.clear();
    std::uint32_t pos = 0;
    // Every index takes two codewords: the room is the same for all segments before the last.
    const std::uint32_t room = trial_.room(0, count, false);
    for (std::uint32_t index = 0; index < count; ++index) {
      const std::uint32_t rest = length_ - pos;
      if (index + 1 == count) {
        if (!trial_.fitsExactly(pos, rest, index, count, true, 0)) return false;
        out.push_back({pos, rest});
        return true;
      }
      const std::uint32_t share = (needed + (count - index) - 1) / (count - index) + tolerance;
      const std::uint32_t slack = share < room ? room - share : 0;
      std::uint32_t m = trial_.fit(pos, rest, index, count, false, slack);
      while (m > 0 && !trial_.fitsExactly(pos, m, index, count, false, slack))
        m = std::min(m - 1, trial_.fit(pos, m, index, count, false, slack));
      if (m == 0 || m == rest) return false;
      needed -= std::min(needed, trial_.used());
      out.push_back({pos, m});
      pos += m;
    }
    return false;
  }

  // The fewest segments (each symbol filled in turn with the most bytes it holds gives that number),
  // with the codewords shared out evenly between them. `countField`: the control block carries the
  // segment count, which takes one codeword up to 99 symbols and two from 100 on. Returns 0 or
  // PDF417_ERR_TOO_LONG.
  int split(bool countField, std::vector<MacroPiece>& pieces) {
    pieces.clear();
    // Fill with a short count, and again with a long one if the set came out that large.
    std::vector<MacroPiece> filled;
    std::uint32_t lastUsed = 0;
    if (!greedy(1, filled, lastUsed)) return PDF417_ERR_TOO_LONG;
    if (countField && filled.size() >= 100 && !greedy(100, filled, lastUsed)) return PDF417_ERR_TOO_LONG;
    const auto count = static_cast<std::uint32_t>(filled.size());
    if (count > 1) {
      // The codewords the set needs, as the filled symbols hold them; then a share of them each.
      const std::uint32_t needed = (count - 1) * trial_.room(0, count, false) + lastUsed;
      for (const std::uint32_t tolerance : {0u, 2u, 8u}) {
        std::vector<MacroPiece> even;
        if (balanced(count, needed, tolerance, even)) {
          pieces = std::move(even);
          return 0;
        }
      }
    }
    pieces = std::move(filled);
    return 0;
  }

 private:
  // The most bytes from `offset` on, at most `limit`, that fit as a segment before the last. The trial
  // stops where the room runs out, but it chose its modes seeing the bytes after that point: the
  // bytes alone may fit a little more, or a little less.
  std::uint32_t largest(std::uint32_t offset, std::uint32_t limit, std::uint32_t index, std::uint32_t count) {
    std::uint32_t m = trial_.fit(offset, limit, index, count, false, 0);
    if (m < limit && trial_.fitsExactly(offset, m + 1, index, count, false, 0)) {
      // More fits: gallop up, then halve the gap.
      std::uint32_t good = m + 1;
      std::uint32_t step = 2;
      while (good + step <= limit && trial_.fitsExactly(offset, good + step, index, count, false, 0)) {
        good += step;
        step *= 2;
      }
      std::uint32_t bad = std::min(limit + 1, good + step);
      while (bad - good > 1) {
        const std::uint32_t mid = good + (bad - good) / 2;
        (trial_.fitsExactly(offset, mid, index, count, false, 0) ? good : bad) = mid;
      }
      return good;
    }
    while (m > 0 && !trial_.fitsExactly(offset, m, index, count, false, 0))
      m = std::min(m - 1, trial_.fit(offset, m, index, count, false, 0));
    return m;
  }

  Trial& trial_;
  std::uint32_t length_;
};

}  // namespace torv::pdf417
