// SPDX-License-Identifier: Apache-2.0
// Fewest-codeword compaction as a shortest path over (position, state). Every step consumes one
// byte; costs count half codewords, so that a Text value costs 1 and a whole codeword 2.
//
// States: Text in each sub-mode with an even or odd number of values in the current codeword (an
// odd one is padded with 29 before a mode codeword, which in Punctuation latches back to Alpha),
// Byte with the segment's length mod 6 (a sixth byte costs nothing more: six bytes are five
// codewords), Numeric with the digits of the current group of at most 44 (a group of r digits
// is floor(r / 3) + 1 codewords).
#include "pdf417/fewest_compaction.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "pdf417/char_classes.h"
#include "pdf417/compaction.h"

namespace torv::pdf417 {
namespace {

constexpr unsigned kNumericGroup = 44;
constexpr unsigned kTextStates = 8;  // sub-mode * 2 + parity
constexpr unsigned kByteState = kTextStates;
constexpr unsigned kNumericState = kByteState + 6;
constexpr unsigned kStates = kNumericState + kNumericGroup;
// Before the first byte of data that starts in Byte Compaction: no segment open, every one latches.
constexpr unsigned kStartState = kStates;
constexpr std::uint32_t kUnreached = 0x3FFFFFFF;

// Sub-mode switch values.
constexpr std::uint8_t kPL = 25;
constexpr std::uint8_t kLL = 27;
constexpr std::uint8_t kAS = 27;
constexpr std::uint8_t kML = 28;
constexpr std::uint8_t kAL = 28;
constexpr std::uint8_t kPS = 29;
constexpr std::uint8_t kPAL = 29;

// Values that latch from one sub-mode to another (0 = none), and their count.
constexpr std::uint8_t kLatch[4][4][2] = {
    {{0, 0}, {kLL, 0}, {kML, 0}, {kML, kPL}},
    {{kML, kAL}, {0, 0}, {kML, 0}, {kML, kPL}},
    {{kAL, 0}, {kLL, 0}, {0, 0}, {kPL, 0}},
    {{kPAL, 0}, {kPAL, kLL}, {kPAL, kML}, {0, 0}},
};
constexpr std::uint8_t kLatchLength[4][4] = {{0, 1, 1, 2}, {2, 0, 1, 2}, {1, 1, 0, 1}, {1, 2, 2, 0}};
constexpr std::uint8_t kClassOf[4] = {kAlpha, kLower, kMixed, kPunct};

enum Step : std::uint8_t {
  kStepValue,       // the byte's value in the target sub-mode, after any latch
  kStepShiftPunct,  // PS and the Punctuation value, sub-mode kept
  kStepShiftAlpha,  // AS and the Alpha value, from Lower
  kStepShiftByte,   // 913 and the byte
  kStepByteLatch,   // first byte of a Byte segment
  kStepByteNext,
  kStepNumericLatch,  // first digit of a Numeric segment
  kStepNumericNext,
};

// Index of the lowest set bit of a nonzero mask.
inline unsigned lowestBit(std::uint64_t mask) {
#if defined(__GNUC__)
  return static_cast<unsigned>(__builtin_ctzll(mask));
#else
  unsigned k = 0;
  while ((mask >> k & 1u) == 0) ++k;
  return k;
#endif
}

constexpr unsigned textState(unsigned sub, unsigned parity) { return sub * 2 + parity; }
constexpr bool isText(unsigned state) { return state < kTextStates; }

struct Trace {
  std::uint8_t from;
  std::uint8_t step;
};

class Search {
 public:
  // The trace is left uninitialised: only entries a step wrote are read back.
  Search(const std::uint8_t* data, std::uint32_t n, FewestStart start)
      : data_(data), n_(n), start_(start), trace_(new Trace[std::size_t{n} * kStates]) {}

  // Half codewords of the shortest encoding; leaves the final state for path().
  //
  // Byte and Numeric states are pruned to those of the least cost: whatever follows, two phases
  // of one mode differ by at most one codeword in what the rest of the segment costs (k more bytes
  // cost k - floor((phase + k) / 6) codewords; k more digits floor-rounded thirds and one per
  // group), so a phase one codeword dearer never does better.
  std::uint32_t run() {
    std::uint32_t cost[kStates];
    std::uint32_t next[kStates];
    for (auto& c : cost) c = kUnreached;
    if (start_ == FewestStart::Text) cost[textState(SubAlpha, 0)] = 0;
    std::uint64_t numeric = 0;  // phases of finite cost
    unsigned bytes = 0;
    for (std::uint32_t i = 0; i < n_; ++i) {
      Trace* trace = &trace_[std::size_t{i} * kStates];
      for (unsigned k = 0; k < kNumericState; ++k) next[k] = kUnreached;
      next[kNumericState + 1] = kUnreached;
      auto relax = [&](unsigned to, std::uint32_t c, unsigned from, Step step) {
        if (c < next[to]) {
          next[to] = c;
          trace[to] = Trace{static_cast<std::uint8_t>(from), step};
        }
      };
      const std::uint8_t b = data_[i];
      const std::uint8_t cls = kCharClass[b];
      const bool digit = isDigitByte(b);

      // Leaving Text pads an odd codeword: the cheapest way out serves the byte shift and both latches.
      std::uint32_t bestOut = kUnreached;
      unsigned bestOutState = 0;
      for (unsigned s = 0; s < 4; ++s) {
        for (unsigned p = 0; p < 2; ++p) {
          const unsigned from = textState(s, p);
          const std::uint32_t c = cost[from];
          if (c >= kUnreached) continue;
          for (unsigned t = 0; t < 4; ++t) {
            if ((cls & kClassOf[t]) == 0) continue;
            const unsigned d = kLatchLength[s][t] + 1u;
            relax(textState(t, (p + d) & 1u), c + d, from, kStepValue);
          }
          if (s != SubPunct && (cls & kPunct) != 0) relax(from, c + 2, from, kStepShiftPunct);
          if (s == SubLower && (cls & kAlpha) != 0) relax(from, c + 2, from, kStepShiftAlpha);
          // The pad that ends an odd codeword is 29: a shift, or in Punctuation the latch to Alpha.
          const unsigned after = p != 0 && s == SubPunct ? unsigned{SubAlpha} : s;
          relax(textState(after, 0), c + p + 4, from, kStepShiftByte);
          if (c + p < bestOut) bestOut = c + p, bestOutState = from;
        }
      }
      if (bestOut < kUnreached) {
        relax(kByteState + 1, bestOut + 4, bestOutState, kStepByteLatch);
        if (digit) relax(kNumericState + 1, bestOut + 4, bestOutState, kStepNumericLatch);
      }

      std::uint32_t bestOther = kUnreached;
      unsigned bestOtherState = 0;
      if (i == 0 && start_ == FewestStart::Byte) {
        // Byte Compaction with nothing to continue: a Byte segment latches as Text and Numeric do.
        relax(kByteState + 1, 4, kStartState, kStepByteLatch);
        if (digit) relax(kNumericState + 1, 4, kStartState, kStepNumericLatch);
        bestOther = 0;
        bestOtherState = kStartState;
      }
      for (unsigned k = 0; k < 6; ++k) {
        if ((bytes >> k & 1u) == 0) continue;
        const std::uint32_t c = cost[kByteState + k];
        const unsigned k1 = (k + 1) % 6;
        relax(kByteState + k1, c + (k1 != 0 ? 2 : 0), kByteState + k, kStepByteNext);
        if (c < bestOther) bestOther = c, bestOtherState = kByteState + k;
      }
      if (digit && bestOther < kUnreached) {
        // All byte phases left cost the same.
        relax(kNumericState + 1, bestOther + 4, bestOtherState, kStepNumericLatch);
      }
      std::uint64_t nextNumeric = 0;
      if (digit) {
        nextNumeric = next[kNumericState + 1] < kUnreached ? std::uint64_t{1} << 1 : 0;
        for (std::uint64_t m = numeric; m != 0; m &= m - 1) {
          const unsigned q = lowestBit(m);
          const unsigned r = q + 1;  // digits in the group with this one
          const unsigned to = r % kNumericGroup;
          if ((nextNumeric >> to & 1u) == 0) next[kNumericState + to] = kUnreached;
          const std::uint32_t c = cost[kNumericState + q] + (r == 1 || r % 3 == 0 ? 2 : 0);
          relax(kNumericState + to, c, kNumericState + q, kStepNumericNext);
          nextNumeric |= std::uint64_t{1} << to;
        }
      }
      if (numeric != 0) {
        const unsigned q = lowestBit(numeric);  // all of one cost
        const std::uint32_t c = cost[kNumericState + q];
        relax(kByteState + 1, c + 4, kNumericState + q, kStepByteLatch);
        if (c < bestOther) bestOther = c, bestOtherState = kNumericState + q;
      }
      // Back to Text with 900, which starts in Alpha.
      if (bestOther < kUnreached) {
        for (unsigned t = 0; t < 4; ++t) {
          if ((cls & kClassOf[t]) == 0) continue;
          const unsigned d = kLatchLength[SubAlpha][t] + 1u;
          relax(textState(t, d & 1u), bestOther + 2 + d, bestOtherState, kStepValue);
        }
        // 900 and a shifted Punctuation value: one codeword, Alpha kept.
        if ((cls & kPunct) != 0) relax(textState(SubAlpha, 0), bestOther + 4, bestOtherState, kStepShiftPunct);
        relax(textState(SubAlpha, 0), bestOther + 6, bestOtherState, kStepShiftByte);
      }

      for (unsigned k = 0; k < kByteState; ++k) cost[k] = next[k];
      std::uint32_t least = kUnreached;
      for (unsigned k = 0; k < 6; ++k) least = std::min(least, next[kByteState + k]);
      bytes = 0;
      for (unsigned k = 0; k < 6; ++k) {
        cost[kByteState + k] = next[kByteState + k];
        if (least < kUnreached && next[kByteState + k] == least) bytes |= 1u << k;
      }
      least = kUnreached;
      for (std::uint64_t m = nextNumeric; m != 0; m &= m - 1) {
        least = std::min(least, next[kNumericState + lowestBit(m)]);
      }
      numeric = 0;
      for (std::uint64_t m = nextNumeric; m != 0; m &= m - 1) {
        const unsigned q = lowestBit(m);
        if (next[kNumericState + q] == least) {
          cost[kNumericState + q] = least;
          numeric |= std::uint64_t{1} << q;
        }
      }
    }
    std::uint32_t best = kUnreached;
    for (unsigned k = 0; k < kTextStates; ++k) {
      if (cost[k] >= kUnreached) continue;
      const std::uint32_t total = cost[k] + (k & 1u);
      if (total < best) best = total, final_ = k;
    }
    for (unsigned k = 0; k < 6; ++k) {
      if ((bytes >> k & 1u) != 0 && cost[kByteState + k] < best) best = cost[kByteState + k], final_ = kByteState + k;
    }
    for (std::uint64_t m = numeric; m != 0; m &= m - 1) {
      const unsigned q = lowestBit(m);
      if (cost[kNumericState + q] < best) best = cost[kNumericState + q], final_ = kNumericState + q;
    }
    return best;
  }

  // The state before each byte and after the last (states[n]), and the step that consumed each byte.
  void path(std::vector<std::uint8_t>& states, std::vector<std::uint8_t>& steps) const {
    states.resize(std::size_t{n_} + 1);
    steps.resize(n_);
    unsigned state = final_;
    states[n_] = static_cast<std::uint8_t>(state);
    for (std::uint32_t i = n_; i-- > 0;) {
      const Trace t = trace_[std::size_t{i} * kStates + state];
      steps[i] = t.step;
      state = t.from;
      states[i] = t.from;
    }
  }

 private:
  const std::uint8_t* data_;
  std::uint32_t n_;
  FewestStart start_;
  std::unique_ptr<Trace[]> trace_;
  unsigned final_ = textState(SubAlpha, 0);
};

// Text values two to a codeword.
class ValueWriter {
 public:
  explicit ValueWriter(CodewordBuffer& buffer) : buffer_(buffer) {}
  void put(unsigned v) {
    if (pending_ < 0) {
      pending_ = static_cast<int>(v);
    } else {
      buffer_.append(30u * static_cast<unsigned>(pending_) + v);
      pending_ = -1;
    }
  }
  void flush() {
    if (pending_ >= 0) put(kPS);
  }

 private:
  CodewordBuffer& buffer_;
  int pending_ = -1;
};

void emit(const std::uint8_t* data, std::uint32_t n, const std::vector<std::uint8_t>& states,
          const std::vector<std::uint8_t>& steps, CodewordBuffer& buffer) {
  ValueWriter values(buffer);
  for (std::uint32_t i = 0; i < n;) {
    const unsigned from = states[i];
    const unsigned to = states[i + 1];
    const std::uint8_t b = data[i];
    unsigned sub = from / 2;
    if (!isText(from) && (steps[i] == kStepValue || steps[i] == kStepShiftPunct || steps[i] == kStepShiftByte)) {
      buffer.append(kLatchText);
      sub = SubAlpha;
    }
    switch (steps[i]) {
      case kStepValue:
        for (unsigned k = 0; k < kLatchLength[sub][to / 2]; ++k) values.put(kLatch[sub][to / 2][k]);
        values.put(kSubModeValue[to / 2][b]);
        break;
      case kStepShiftPunct:
        values.put(kPS);
        values.put(kSubModeValue[SubPunct][b]);
        break;
      case kStepShiftAlpha:
        values.put(kAS);
        values.put(kSubModeValue[SubAlpha][b]);
        break;
      case kStepShiftByte:
        values.flush();
        buffer.append(kShiftByte);
        buffer.append(b);
        break;
      default: {  // a Byte or Numeric segment, to its last byte
        values.flush();
        const bool bytes = steps[i] == kStepByteLatch;
        const Step next = bytes ? kStepByteNext : kStepNumericNext;
        std::uint32_t j = i + 1;
        while (j < n && steps[j] == next) ++j;
        if (bytes) {
          buffer.append((j - i) % 6 == 0 ? kLatchByteSix : kLatchByte);
          byteCompact(data + i, j - i, buffer);
        } else {
          buffer.append(kLatchNumeric);
          numericCompact(data + i, j - i, buffer);
        }
        i = j;
        continue;
      }
    }
    ++i;
  }
  values.flush();
}

}  // namespace

unsigned eciCodewordCount(std::int32_t eci) {
  if (eci < 0) return 0;
  return eci < 900 || eci > 810899 ? 2 : 3;
}

void appendEci(std::int32_t eci, CodewordBuffer& buffer) {
  const auto v = static_cast<unsigned>(eci);
  if (v < 900) {
    buffer.append(kEciDesignator);
    buffer.append(v);
  } else if (v <= 810899) {
    buffer.append(kEciDesignatorWide);
    buffer.append(v / 900 - 1);
    buffer.append(v % 900);
  } else {
    buffer.append(kEciDesignatorTop);
    buffer.append(v - 810900);
  }
}

std::uint32_t fewestCodewordCount(const std::uint8_t* data, std::uint32_t n, FewestStart start) {
  if (n == 0) return 0;
  return Search(data, n, start).run() / 2;
}

bool compactFewest(const std::uint8_t* data, std::uint32_t n, std::int32_t eci, CodewordBuffer& message,
                   FewestStart start) {
  message.count = 1;
  if (eci > kMaxEci) return false;
  const unsigned designator = eciCodewordCount(eci);
  const unsigned room = message.freeCount();
  // Numeric Compaction, the densest, holds 44 digits in 15 codewords: more than three bytes a
  // codeword never fit, and the search is not run for them.
  if (designator > room || n / 3 > room - designator) return false;
  if (eci >= 0) appendEci(eci, message);
  if (n == 0) return true;
  Search search(data, n, start);
  const std::uint32_t codewords = search.run() / 2;
  if (codewords > room - designator) {
    message.count = 1;
    return false;
  }
  std::vector<std::uint8_t> states;
  std::vector<std::uint8_t> steps;
  search.path(states, steps);
  emit(data, n, states, steps, message);
  return true;
}

}  // namespace torv::pdf417
