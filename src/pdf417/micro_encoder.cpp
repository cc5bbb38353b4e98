// SPDX-License-Identifier: Apache-2.0
#include "pdf417/micro_encoder.h"

#include <algorithm>

#include "pdf417/capacity_plan.h"
#include "pdf417/compaction.h"
#include "pdf417/fewest_compaction.h"
#include "pdf417/option_rules.h"
#include "pdf417/pdf417.h"

namespace torv::pdf417 {
namespace {

constexpr unsigned kMacroMarker = 928;
constexpr unsigned kMacroOptionalField = 923;
constexpr unsigned kMacroTerminator = 922;
constexpr unsigned kFieldFileName = 0;
constexpr unsigned kFieldSegmentCount = 1;
constexpr std::uint32_t kMaxSegmentIndex = 99998;
constexpr std::uint32_t kMaxSegmentCount = 99999;

// Codewords that an already-filled buffer holds after its descriptor slot.
void appendEntries(const CodewordBuffer& buffer, std::vector<std::uint16_t>& out) {
  out.insert(out.end(), buffer.entries + 1, buffer.entries + buffer.count);
}

// The decimal digits of value, at least `width` of them.
std::string digitsOf(std::uint32_t value, unsigned width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

void appendNumeric(const std::string& digits, std::vector<std::uint16_t>& out) {
  CodewordBuffer buffer;
  numericCompact(reinterpret_cast<const std::uint8_t*>(digits.data()), static_cast<std::uint32_t>(digits.size()),
                 buffer);
  appendEntries(buffer, out);
}

// The designator of an extended channel: 927 n, 926 (n / 900 - 1) (n mod 900), or 925 (n - 810900).
void appendEci(std::int32_t eci, std::vector<std::uint16_t>& out) {
  const auto n = static_cast<std::uint32_t>(eci);
  if (n < 900) {
    out.insert(out.end(), {927, static_cast<std::uint16_t>(n)});
  } else if (n < 810900) {
    out.insert(out.end(), {926, static_cast<std::uint16_t>(n / 900 - 1), static_cast<std::uint16_t>(n % 900)});
  } else {
    out.insert(out.end(), {925, static_cast<std::uint16_t>(n - 810900)});
  }
}

// The data's codewords from Byte Compaction on, at most `room` of them; false when they do not all fit.
bool compactData(const std::uint8_t* data, std::uint32_t length, unsigned room, Compaction compaction,
                 std::vector<std::uint16_t>& out) {
  if (length == 0) return true;
  CodewordBuffer buffer;
  buffer.capacity = static_cast<std::uint16_t>(room + 1);
  if (compaction == Compaction::Fewest) {
    if (!compactFewest(data, length, -1, buffer, FewestStart::Byte)) return false;
    appendEntries(buffer, out);
    return true;
  }
  InputCursor in{data, 0, length};
  encodeSegments(in, buffer, EncodingMode::Byte);
  if (in.pos < in.end) {
    // The segment rules missed: plain Byte Compaction may still hold everything.
    if (room < 1 || maxBytes(room - 1) < length) return false;
    buffer.count = 1;
    buffer.append(length % 6 == 0 ? kLatchByteSix : kLatchByte);
    byteCompact(data, length, buffer);
  }
  appendEntries(buffer, out);
  return true;
}

}  // namespace

bool appendMicroMacroBlock(const MicroMacro& macro, std::vector<std::uint16_t>& out) {
  if (macro.segmentIndex > kMaxSegmentIndex || macro.fileId.empty() || macro.segmentCount > kMaxSegmentCount) {
    return false;
  }
  for (std::uint16_t id : macro.fileId) {
    if (id > 899) return false;
  }
  out.push_back(kMacroMarker);
  appendNumeric(digitsOf(macro.segmentIndex, 5), out);
  out.insert(out.end(), macro.fileId.begin(), macro.fileId.end());
  if (!macro.fileName.empty()) {
    CodewordBuffer buffer;
    buffer.capacity = kBufferEntries - 1;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(macro.fileName.data());
    InputCursor in{bytes, 0, static_cast<std::uint32_t>(macro.fileName.size())};
    TextSubMode sub = SubAlpha;
    if (!textCompact(in, in.end, buffer, sub) || in.pos != in.end) return false;  // a byte beyond Text Compaction
    out.insert(out.end(), {kMacroOptionalField, kFieldFileName});
    appendEntries(buffer, out);
  }
  if (macro.segmentCount != 0) {
    out.insert(out.end(), {kMacroOptionalField, kFieldSegmentCount});
    appendNumeric(digitsOf(macro.segmentCount, 5), out);  // five digits, as the segment index
  }
  if (macro.last) out.push_back(kMacroTerminator);
  return true;
}

int MicroEncoder::setSize(int columns, int rows) {
  if (columns == 0 && rows == 0) {
    options_.columns = 0;
    options_.rows = 0;
    return 1;
  }
  if (columns < 1 || columns > static_cast<int>(kMicroMaxColumns)) return 0;
  if (rows != 0 && microSizeIndex(static_cast<unsigned>(columns), static_cast<unsigned>(rows)) < 0) return 0;
  options_.columns = static_cast<std::uint8_t>(columns);
  options_.rows = static_cast<std::uint8_t>(rows);
  return 1;
}

int MicroEncoder::setEci(int eci) {
  if (eci < -1 || eci > kMaxEci) return 0;
  options_.eci = eci;
  return 1;
}

int MicroEncoder::setCompaction(Compaction compaction) {
  if (compaction != Compaction::Rules && compaction != Compaction::Fewest) return 0;
  options_.compaction = compaction;
  return 1;
}

int MicroEncoder::setRowHeightRatio(const char* ratio) {
  Pdf417Options parsed;
  if (!applyRowHeightRatio(parsed, ratio)) return 0;
  options_.rowHeightNum = parsed.rowHeightNum;
  options_.rowHeightDen = parsed.rowHeightDen;
  return 1;
}

void MicroEncoder::setMacro(const MicroMacro& macro) {
  options_.macro = true;
  options_.macroBlock = macro;
}

void MicroEncoder::clearMacro() {
  options_.macro = false;
  options_.macroBlock = MicroMacro{};
}

int MicroEncoder::encode(const void* data, std::uint32_t length) {
  codewords_.clear();
  std::vector<std::uint16_t> macro;
  if (options_.macro && !appendMicroMacroBlock(options_.macroBlock, macro)) return PDF417_ERR_NO_ARRANGEMENT;
  if (options_.eci >= 0) appendEci(options_.eci, codewords_);
  const std::size_t fixed = codewords_.size() + macro.size();
  if (fixed > kMicroMaxData) return PDF417_ERR_TOO_LONG;
  // The room of the size asked for, else of the largest that the width allows.
  int sized = options_.rows != 0 ? microSizeIndex(options_.columns, options_.rows) : -1;
  unsigned room = kMicroMaxData;
  if (sized >= 0) {
    room = kMicroSizes[sized].dataCapacity();
  } else if (options_.columns != 0) {
    room = 0;
    for (const MicroSize& s : kMicroSizes) {
      if (s.columns == options_.columns) room = std::max(room, s.dataCapacity());
    }
  }
  if (fixed > room || !compactData(static_cast<const std::uint8_t*>(data), length, room - static_cast<unsigned>(fixed),
                                   options_.compaction, codewords_)) {
    codewords_.clear();
    return PDF417_ERR_TOO_LONG;
  }
  const auto padAt = static_cast<unsigned>(codewords_.size());
  codewords_.insert(codewords_.end(), macro.begin(), macro.end());
  const auto count = static_cast<unsigned>(codewords_.size());
  if (sized < 0) sized = fittingMicroSize(count, options_.columns);
  if (sized < 0 || layOutMicro(codewords_.data(), count, padAt, static_cast<unsigned>(sized), symbol_) != 0) {
    codewords_.clear();
    return PDF417_ERR_TOO_LONG;
  }
  symbol_.rowHeightNum = options_.rowHeightNum;
  symbol_.rowHeightDen = options_.rowHeightDen;
  return 1;
}

}  // namespace torv::pdf417
