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
#include <array>
#include <memory>
#include <utility>
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

// One way into a Text state from a Text state: `add` half codewords more, by `step`.
struct Way {
  std::uint8_t from;
  std::uint8_t add;
  std::uint8_t step;
};

// The ways into each Text state from the Text states, for a byte of one combination of sub-mode
// classes, in the order the search prefers them on equal cost: by source, then value before the
// shifts before the byte shift.
struct TextWays {
  std::uint8_t count[kTextStates];
  Way way[kTextStates][12];
  // The way in from Byte or Numeric Compaction with 900, which starts in Alpha: half codewords
  // more than the cheaper of those two (0 = none), and its step.
  std::uint8_t otherAdd[kTextStates];
  std::uint8_t otherStep[kTextStates];
};

constexpr TextWays textWays(unsigned cls) {
  TextWays w{};
  auto add = [&w](unsigned to, unsigned from, unsigned cost, Step step) {
    w.way[to][w.count[to]++] =
        Way{static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(cost), static_cast<std::uint8_t>(step)};
  };
  for (unsigned s = 0; s < 4; ++s) {
    for (unsigned p = 0; p < 2; ++p) {
      const unsigned from = textState(s, p);
      for (unsigned t = 0; t < 4; ++t) {
        if ((cls & kClassOf[t]) == 0) continue;
        const unsigned d = kLatchLength[s][t] + 1u;
        add(textState(t, (p + d) & 1u), from, d, kStepValue);
      }
      if (s != SubPunct && (cls & kPunct) != 0) add(from, from, 2, kStepShiftPunct);
      if (s == SubLower && (cls & kAlpha) != 0) add(from, from, 2, kStepShiftAlpha);
      // The pad that ends an odd codeword is 29: a shift, or in Punctuation the latch to Alpha.
      const unsigned after = p != 0 && s == SubPunct ? unsigned{SubAlpha} : s;
      add(textState(after, 0), from, p + 4, kStepShiftByte);
    }
  }
  // 900 and a shifted Punctuation value take one codeword and keep Alpha; so does 900 with the
  // byte shift, at one more. Each value lands in a state of its own.
  w.otherAdd[textState(SubAlpha, 0)] = (cls & kPunct) != 0 ? 4 : 6;
  w.otherStep[textState(SubAlpha, 0)] = (cls & kPunct) != 0 ? kStepShiftPunct : kStepShiftByte;
  for (unsigned t = 0; t < 4; ++t) {
    if ((cls & kClassOf[t]) == 0) continue;
    const unsigned d = kLatchLength[SubAlpha][t] + 1u;
    w.otherAdd[textState(t, d & 1u)] = static_cast<std::uint8_t>(2 + d);
    w.otherStep[textState(t, d & 1u)] = kStepValue;
  }
  return w;
}

template <unsigned Cls>
struct TextWaysOf {
  static constexpr TextWays kWays = textWays(Cls);
};

// The Text states after a byte of sub-mode classes Cls, from the Text states before it and from
// the cheaper of Byte and Numeric Compaction (`other`, kUnreached for none). The ways are fixed at
// compile time, so every minimum is straight-line code; the way taken is found again when the path
// is traced back (textWayTaken). Returns the states that the way from `other` reached first.
template <unsigned Cls, unsigned To = 0>
inline unsigned textStep(const std::uint32_t* cost, std::uint32_t other, std::uint32_t* next) {
  if constexpr (To < kTextStates) {
    constexpr const TextWays& ways = TextWaysOf<Cls>::kWays;
    std::uint32_t best = kUnreached;
    for (unsigned k = 0; k < ways.count[To]; ++k) {
      best = std::min(best, cost[ways.way[To][k].from] + ways.way[To][k].add);
    }
    unsigned fromOther = 0;
    if constexpr (ways.otherAdd[To] != 0) {
      const std::uint32_t c = other + ways.otherAdd[To];
      fromOther = c < best ? 1u << To : 0u;
      best = std::min(best, c);
    }
    next[To] = best;
    return fromOther | textStep<Cls, To + 1>(cost, other, next);
  }
  return 0;
}

using TextStep = unsigned (*)(const std::uint32_t*, std::uint32_t, std::uint32_t*);

template <unsigned... Cls>
constexpr std::array<TextStep, sizeof...(Cls)> textSteps(std::integer_sequence<unsigned, Cls...>) {
  return {&textStep<Cls>...};
}

// By the byte's Text class bits.
constexpr std::array<TextStep, 16> kTextSteps = textSteps(std::make_integer_sequence<unsigned, 16>{});

constexpr std::array<TextWays, 16> textWayTables() {
  std::array<TextWays, 16> all{};
  for (unsigned cls = 0; cls < 16; ++cls) all[cls] = textWays(cls);
  return all;
}
constexpr std::array<TextWays, 16> kTextWays = textWayTables();

// The first way, in the order textStep prefers them, that reaches Text state `to` at cost `reached`.
Trace textWayTaken(unsigned cls, unsigned to, const std::uint32_t* cost, std::uint32_t reached) {
  const TextWays& ways = kTextWays[cls & kTextMask];
  unsigned k = 0;
  while (k + 1 < ways.count[to] && cost[ways.way[to][k].from] + ways.way[to][k].add != reached) ++k;
  return Trace{ways.way[to][k].from, ways.way[to][k].step};
}

// Trace entries per byte: the eight Text states, then phase 1 of Byte and of Numeric. Every other
// Byte or Numeric phase is reached only from the phase before it.
constexpr unsigned kTraceWidth = kTextStates + 2;
constexpr unsigned kTraceBytePhaseOne = kTextStates;
constexpr unsigned kTraceNumericPhaseOne = kTextStates + 1;

// Numeric phases (digits in the group) whose next digit costs nothing: not the first of a group,
// not the third of a triple (q = 1 .. 43 with q mod 3 != 2).
constexpr std::uint64_t freeDigitPhases() {
  std::uint64_t mask = 0;
  for (unsigned q = 1; q < kNumericGroup; ++q) {
    if (q % 3 != 2) mask |= std::uint64_t{1} << q;
  }
  return mask;
}
constexpr std::uint64_t kFreeDigitPhases = freeDigitPhases();
constexpr std::uint64_t kNumericPhases = (std::uint64_t{1} << kNumericGroup) - 1;

// The cheapest way out of Text: the least cost with the pad of an odd codeword.
inline std::uint32_t cheapestWayOut(const std::uint32_t* text) {
  auto least = [](std::uint32_t a, std::uint32_t b) { return a < b ? a : b; };
  return least(least(least(text[0], text[1] + 1), least(text[2], text[3] + 1)),
               least(least(text[4], text[5] + 1), least(text[6], text[7] + 1)));
}

// In a trace, for the Text state the cheapest way out left from.
constexpr std::uint8_t kCheapestWayOut = 0xFF;

// Room for the search of data up to kLocalBytes long on the stack; longer data takes the heap.
class SearchSpace {
 public:
  explicit SearchSpace(std::uint32_t n) {
    if (n > kLocalBytes) {
      heapTrace_.reset(new Trace[std::size_t{n} * kTraceWidth]);
      heapText_.reset(new std::uint32_t[(std::size_t{n} + 1) * kTextStates]);
      heapBytes_.reset(new std::uint8_t[3 * (std::size_t{n} + 1)]);
    }
    trace = heapTrace_ ? heapTrace_.get() : localTrace_;
    text = heapText_ ? heapText_.get() : localText_;
    fromOther = heapBytes_ ? heapBytes_.get() : localBytes_;
    states = fromOther + n + 1;
    steps = states + n + 1;
  }
  Trace* trace;
  std::uint32_t* text;
  std::uint8_t* fromOther;
  std::uint8_t* states;
  std::uint8_t* steps;

 private:
  static constexpr std::uint32_t kLocalBytes = 256;
  Trace localTrace_[kLocalBytes * kTraceWidth];
  std::uint32_t localText_[(kLocalBytes + 1) * kTextStates];
  std::uint8_t localBytes_[3 * (kLocalBytes + 1)];
  std::unique_ptr<Trace[]> heapTrace_;
  std::unique_ptr<std::uint32_t[]> heapText_;
  std::unique_ptr<std::uint8_t[]> heapBytes_;
};

// Byte and Numeric states keep only their phases of the least cost, as one cost and a mask: whatever
// follows, two phases of one mode differ by at most one codeword in what the rest of the segment
// costs (k more bytes cost k - floor((phase + k) / 6) codewords; k more digits floor-rounded thirds
// and one per group), so a phase one codeword dearer never does better.
class Search {
 public:
  Search(const std::uint8_t* data, std::uint32_t n, FewestStart start, SearchSpace& space)
      : data_(data), n_(n), start_(start), trace_(space.trace), text_(space.text), fromOther_(space.fromOther) {}

  // Half codewords of the shortest encoding; leaves the final state for path().
  std::uint32_t run() {
    for (unsigned k = 0; k < kTextStates; ++k) text_[k] = kUnreached;
    if (start_ == FewestStart::Text) text_[textState(SubAlpha, 0)] = 0;
    std::uint32_t byteCost = kUnreached;
    unsigned bytes = 0;  // phases of byteCost
    std::uint32_t numericCost = kUnreached;
    std::uint64_t numeric = 0;  // phases of numericCost
    for (std::uint32_t i = 0; i < n_; ++i) {
      Trace* trace = &trace_[std::size_t{i} * kTraceWidth];
      const std::uint32_t* text = &text_[std::size_t{i} * kTextStates];
      std::uint32_t* nextText = &text_[(std::size_t{i} + 1) * kTextStates];
      const std::uint8_t b = data_[i];
      const std::uint8_t cls = kCharClass[b];
      const bool digit = (cls & kDigit) != 0;

      // Leaving Text pads an odd codeword: the cheapest way out serves both latches. Which state
      // that is, is found again when the path is traced back (kCheapestWayOut).
      const std::uint32_t bestOut = cheapestWayOut(text);
      const bool atStart = i == 0 && start_ == FewestStart::Byte;
      // Byte Compaction with nothing to continue: every segment latches, as from Text.
      std::uint32_t latchCost = bestOut + 4;
      Trace latchFrom{kCheapestWayOut, kStepByteLatch};
      if (atStart && 4 < latchCost) latchCost = 4, latchFrom.from = kStartState;
      const unsigned lowestByte = bytes != 0 ? lowestBit(bytes) : 0;
      const unsigned lowestDigit = numeric != 0 ? lowestBit(numeric) : 0;

      // Byte: the sixth byte of a group is free, so phase 5 alone goes on at no cost.
      std::uint32_t nextByteCost = kUnreached;
      unsigned nextBytes = 0;
      if ((bytes & 0x20u) != 0) {
        nextByteCost = byteCost;
        nextBytes = 1;
      } else if (bytes != 0) {
        nextByteCost = byteCost + 2;
        nextBytes = bytes << 1;
      }
      {
        // Phase 1: a latch from Text (or the start), the byte after phase 0, a latch from Numeric.
        std::uint32_t one = latchCost;
        Trace from = latchFrom;
        if ((bytes & 1u) != 0 && byteCost + 2 < one) one = byteCost + 2, from = Trace{kByteState, kStepByteNext};
        if (numeric != 0 && numericCost + 4 < one) {
          one = numericCost + 4;
          from = Trace{static_cast<std::uint8_t>(kNumericState + lowestDigit), kStepByteLatch};
        }
        trace[kTraceBytePhaseOne] = from;
        nextBytes &= ~2u;
        if (nextBytes == 0 || one < nextByteCost) {
          nextByteCost = one;
          nextBytes = one < kUnreached ? 2u : 0u;
        } else if (one == nextByteCost) {
          nextBytes |= 2u;
        }
      }

      std::uint32_t bestOther = kUnreached;
      unsigned bestOtherState = 0;
      if (atStart) bestOther = 0, bestOtherState = kStartState;
      if (bytes != 0 && byteCost < bestOther) bestOther = byteCost, bestOtherState = kByteState + lowestByte;

      std::uint32_t nextNumericCost = kUnreached;
      std::uint64_t nextNumeric = 0;
      if (digit) {
        if (numeric != 0) {
          const std::uint64_t free = numeric & kFreeDigitPhases;
          const std::uint64_t moving = free != 0 ? free : numeric;
          nextNumericCost = free != 0 ? numericCost : numericCost + 2;
          // Phase q becomes q + 1; a full group of 44 becomes phase 0.
          nextNumeric = (moving << 1 | moving >> (kNumericGroup - 1)) & kNumericPhases;
        }
        // Phase 1: a latch from Text (or the start), a latch from Byte, the digit after phase 0.
        std::uint32_t one = latchCost;
        Trace from{latchFrom.from, kStepNumericLatch};
        if (bestOther + 4 < one) one = bestOther + 4, from.from = static_cast<std::uint8_t>(bestOtherState);
        if ((numeric & 1u) != 0 && numericCost + 2 < one) {
          one = numericCost + 2;
          from = Trace{kNumericState, kStepNumericNext};
        }
        trace[kTraceNumericPhaseOne] = from;
        nextNumeric &= ~std::uint64_t{2};
        if (nextNumeric == 0 || one < nextNumericCost) {
          nextNumericCost = one;
          nextNumeric = one < kUnreached ? 2u : 0u;
        } else if (one == nextNumericCost) {
          nextNumeric |= 2u;
        }
      }
      if (numeric != 0 && numericCost < bestOther) {
        bestOther = numericCost;
        bestOtherState = kNumericState + lowestDigit;
      }
      // Text, from Text and back from the cheaper of Byte and Numeric with 900.
      const unsigned fromOther = kTextSteps[cls & kTextMask](text, bestOther, nextText);
      for (unsigned m = fromOther; m != 0; m &= m - 1) {
        const unsigned to = lowestBit(m);
        trace[to] = Trace{static_cast<std::uint8_t>(bestOtherState), kTextWays[cls & kTextMask].otherStep[to]};
      }
      fromOther_[i] = static_cast<std::uint8_t>(fromOther);
      byteCost = nextByteCost;
      bytes = nextBytes;
      numericCost = nextNumericCost;
      numeric = nextNumeric;
    }
    std::uint32_t best = kUnreached;
    const std::uint32_t* text = &text_[std::size_t{n_} * kTextStates];
    for (unsigned k = 0; k < kTextStates; ++k) {
      if (text[k] >= kUnreached) continue;
      const std::uint32_t total = text[k] + (k & 1u);
      if (total < best) best = total, final_ = k;
    }
    if (bytes != 0 && byteCost < best) best = byteCost, final_ = kByteState + lowestBit(bytes);
    if (numeric != 0 && numericCost < best) best = numericCost, final_ = kNumericState + lowestBit(numeric);
    return best;
  }

  // The state before each byte and after the last (states[n]), and the step that consumed each byte.
  void path(std::uint8_t* states, std::uint8_t* steps) const {
    unsigned state = final_;
    states[n_] = static_cast<std::uint8_t>(state);
    for (std::uint32_t i = n_; i-- > 0;) {
      const Trace* trace = &trace_[std::size_t{i} * kTraceWidth];
      Trace t;
      if (isText(state)) {
        t = (fromOther_[i] >> state & 1u) != 0
                ? trace[state]
                : textWayTaken(kCharClass[data_[i]], state, &text_[std::size_t{i} * kTextStates],
                               text_[(std::size_t{i} + 1) * kTextStates + state]);
      } else if (state < kNumericState) {
        const unsigned phase = state - kByteState;
        t = phase == 1 ? trace[kTraceBytePhaseOne]
                       : Trace{static_cast<std::uint8_t>(kByteState + (phase + 5) % 6), kStepByteNext};
      } else {
        const unsigned phase = state - kNumericState;
        t = phase == 1 ? trace[kTraceNumericPhaseOne]
                       : Trace{static_cast<std::uint8_t>(kNumericState + (phase + kNumericGroup - 1) % kNumericGroup),
                               kStepNumericNext};
      }
      if (t.from == kCheapestWayOut) {
        const std::uint32_t* text = &text_[std::size_t{i} * kTextStates];
        const std::uint32_t out = cheapestWayOut(text);
        t.from = 0;
        while (text[t.from] + (t.from & 1u) != out) ++t.from;
      }
      steps[i] = t.step;
      state = t.from;
      states[i] = t.from;
    }
  }

 private:
  const std::uint8_t* data_;
  std::uint32_t n_;
  FewestStart start_;
  Trace* trace_;
  std::uint32_t* text_;      // the Text states' costs before each byte and after the last
  std::uint8_t* fromOther_;  // per byte, the Text states reached from Byte or Numeric (their ways in trace_)
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

void emit(const std::uint8_t* data, std::uint32_t n, const std::uint8_t* states, const std::uint8_t* steps,
          CodewordBuffer& buffer) {
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
  SearchSpace space(n);
  return Search(data, n, start, space).run() / 2;
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
  SearchSpace space(n);
  Search search(data, n, start, space);
  const std::uint32_t codewords = search.run() / 2;
  if (codewords > room - designator) {
    message.count = 1;
    return false;
  }
  search.path(space.states, space.steps);
  emit(data, n, space.states, space.steps, message);
  return true;
}

}  // namespace torv::pdf417
