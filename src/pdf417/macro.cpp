// SPDX-License-Identifier: Apache-2.0
// Macro PDF417 control blocks and the split of a file over a set of symbols.
#include "pdf417/macro.h"

#include <algorithm>
#include <functional>

#include "pdf417/compaction.h"
#include "pdf417/macro_split.h"

namespace torv::pdf417 {
namespace {

constexpr std::uint16_t kFieldFileName = 0;
constexpr std::uint16_t kFieldSegmentCount = 1;
constexpr std::uint16_t kFieldTimeStamp = 2;
constexpr std::uint16_t kFieldSender = 3;
constexpr std::uint16_t kFieldAddressee = 4;
constexpr std::uint16_t kFieldFileSize = 5;
constexpr std::uint16_t kFieldChecksum = 6;
constexpr std::uint16_t kMaxFileIdCodeword = 899;

void appendBuffer(const CodewordBuffer& buffer, std::vector<std::uint16_t>& out) {
  out.insert(out.end(), buffer.entries + 1, buffer.entries + buffer.count);
}

// Decimal digits in Numeric Compaction, without a latch: a field's value.
void appendNumber(std::uint64_t value, unsigned minDigits, std::vector<std::uint16_t>& out) {
  std::uint8_t digits[24];
  unsigned n = 0;
  do {
    digits[n++] = static_cast<std::uint8_t>('0' + value % 10);
    value /= 10;
  } while (value != 0 || n < minDigits);
  std::reverse(digits, digits + n);
  CodewordBuffer buffer;
  buffer.capacity = kBufferEntries;
  numericCompact(digits, n, buffer);
  appendBuffer(buffer, out);
}

// Text in Text Compaction, starting in Alpha as every field does; a byte outside the text
// sub-modes is shifted in with 913. False when the text would fill more than a symbol.
bool appendText(const std::string& text, std::vector<std::uint16_t>& out) {
  CodewordBuffer buffer;
  buffer.capacity = kMaxSlots;
  InputCursor in{reinterpret_cast<const std::uint8_t*>(text.data()), 0, static_cast<std::uint32_t>(text.size())};
  TextSubMode subMode = SubAlpha;
  while (in.pos < in.end) {
    if (isTextByte(in.data[in.pos])) {
      std::uint32_t run = 0;
      while (in.pos + run < in.end && isTextByte(in.data[in.pos + run])) ++run;
      if (!textCompact(in, run, buffer, subMode)) return false;
    } else {
      if (buffer.freeCount() < 2) return false;
      buffer.append(kShiftByte);
      buffer.append(in.data[in.pos++]);
    }
  }
  appendBuffer(buffer, out);
  return true;
}

}  // namespace

std::uint16_t macroChecksum(const std::uint8_t* data, std::size_t length) {
  std::uint32_t crc = 0xFFFF;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= static_cast<std::uint32_t>(data[i]) << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1;
  }
  return static_cast<std::uint16_t>(crc);
}

std::optional<std::vector<std::uint16_t>> macroFileIdFromDigits(const std::string& digits) {
  if (digits.empty() || digits.size() % 3 != 0 || digits.size() > 3 * kMaxSlots) return std::nullopt;
  std::vector<std::uint16_t> id;
  for (std::size_t i = 0; i < digits.size(); i += 3) {
    unsigned value = 0;
    for (std::size_t k = i; k < i + 3; ++k) {
      if (digits[k] < '0' || digits[k] > '9') return std::nullopt;
      value = value * 10 + static_cast<unsigned>(digits[k] - '0');
    }
    if (value > kMaxFileIdCodeword) return std::nullopt;
    id.push_back(static_cast<std::uint16_t>(value));
  }
  return id;
}

std::vector<std::uint16_t> macroFileIdOf(const std::uint8_t* data, std::size_t length) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (std::size_t i = 0; i < length; ++i) hash = (hash ^ data[i]) * 16777619u;
  return {static_cast<std::uint16_t>(hash % 900), static_cast<std::uint16_t>(hash / 900 % 900),
          static_cast<std::uint16_t>(hash / 810000 % 900)};
}

bool appendMacroControlBlock(const MacroFile& file, std::uint64_t fileSize, std::uint16_t checksum,
                             const MacroSegment& segment, std::vector<std::uint16_t>& out) {
  if (file.fileId.empty() || segment.index >= kMaxMacroSegments) return false;
  out.push_back(kMacroControlBlock);
  appendNumber(segment.index, 5, out);
  for (const std::uint16_t codeword : file.fileId) {
    if (codeword > kMaxFileIdCodeword) return false;
    out.push_back(codeword);
  }
  auto textField = [&](std::uint16_t designator, const std::optional<std::string>& text) {
    if (!text) return true;
    out.push_back(kMacroOptionalField);
    out.push_back(designator);
    return appendText(*text, out);
  };
  auto numberField = [&](std::uint16_t designator, std::uint64_t value) {
    out.push_back(kMacroOptionalField);
    out.push_back(designator);
    appendNumber(value, 1, out);
  };
  if (!textField(kFieldFileName, file.fileName)) return false;
  if (file.segmentCount) numberField(kFieldSegmentCount, segment.count);
  if (file.timeStamp) numberField(kFieldTimeStamp, *file.timeStamp);
  if (!textField(kFieldSender, file.sender) || !textField(kFieldAddressee, file.addressee)) return false;
  if (file.fileSize) numberField(kFieldFileSize, fileSize);
  if (file.checksum) numberField(kFieldChecksum, checksum);
  if (segment.last) out.push_back(kMacroTerminator);
  return true;
}

// ---- the split ------------------------------------------------------------------------------------

std::vector<std::uint16_t> MacroSet::block(std::uint32_t index, std::uint32_t count, bool last) const {
  std::vector<std::uint16_t> codewords;
  if (!appendMacroControlBlock(file_, length_, checksum_, MacroSegment{index, count, last}, codewords))
    codewords.clear();
  return codewords;
}

namespace {

constexpr std::uint16_t kSlackCodeword = 900;

// Trial encodes of pieces of the file as segments of a set, for MacroSplitter. A piece "fits" when its bytes encode
// alone with the segment's control block (and `slack` codewords more, that keep room unused) and, where the options do
// not promise it, the symbol has an arrangement.
class Splitter {
 public:
  using BlockOf = std::function<std::vector<std::uint16_t>(std::uint32_t, std::uint32_t, bool)>;

  Splitter(Encoder& trial, const std::uint8_t* data, BlockOf blockOf)
      : trial_(trial), data_(data), blockOf_(std::move(blockOf)) {
    const Pdf417Options& o = trial.options();
    // The automatic level of a bounded symbol is the one case where the room planned at encode
    // time may find no arrangement at write time.
    checkLayout_ = !o.eccExplicit && o.sizingMode != SIZING_FIXED;
  }

  // Data codewords that a symbol holds beside the control block of a segment (0 when none).
  std::uint32_t room(std::uint32_t index, std::uint32_t count, bool last) {
    if (!setBlock(index, count, last, 0)) return 0;
    static const std::uint8_t kNone = 0;
    if (trial_.encode(&kNone, 0) != 1) return 0;
    return trial_.message()->capacity - 1u;
  }

  // Bytes from `offset` on, of `limit`, that the trial encodes before the room runs out.
  std::uint32_t fit(std::uint32_t offset, std::uint32_t limit, std::uint32_t index, std::uint32_t count, bool last,
                    std::uint32_t slack) {
    if (!setBlock(index, count, last, slack)) return 0;
    Pdf417Stream in;
    pdf417OpenMemory(&in, PDF417_STREAM_INPUT, const_cast<std::uint8_t*>(data_ + offset), limit);
    const int rc = trial_.encode(&in, static_cast<std::int32_t>(limit));
    if (rc == 1) return limit;
    return rc == PDF417_ERR_TOO_LONG ? std::min(in.readCursor, limit) : 0;
  }

  bool fitsExactly(std::uint32_t offset, std::uint32_t n, std::uint32_t index, std::uint32_t count, bool last,
                   std::uint32_t slack) {
    if (fit(offset, n, index, count, last, slack) != n) return false;
    std::int32_t size = 0;
    return !checkLayout_ || trial_.write(nullptr, &size) == 0;
  }

  // Data codewords of the last encode that fit.
  std::uint32_t used() const { return trial_.message() != nullptr ? trial_.message()->count - 1u : 0u; }

 private:
  bool setBlock(std::uint32_t index, std::uint32_t count, bool last, std::uint32_t slack) {
    block_ = blockOf_(index, count, last);
    if (block_.empty()) return false;
    block_.insert(block_.end(), slack, kSlackCodeword);
    return trial_.setMacroControlBlock(block_.data(), static_cast<unsigned>(block_.size())) == 1;
  }

  Encoder& trial_;
  const std::uint8_t* data_;
  BlockOf blockOf_;
  bool checkLayout_ = true;
  std::vector<std::uint16_t> block_;
};

}  // namespace

int MacroSet::split(const Encoder& settings, const void* data, std::uint32_t length, const MacroFile& file) {
  pieces_.clear();
  data_ = static_cast<const std::uint8_t*>(data);
  length_ = data_ != nullptr ? length : 0;
  file_ = file;
  if (file_.fileId.empty()) file_.fileId = macroFileIdOf(data_, length_);
  checksum_ = file_.checksum ? macroChecksum(data_, length_) : 0;
  Encoder trial = settings;
  trial.setMacroControlBlock(nullptr, 0);
  // Whether the options leave room at all, before blaming the control block.
  static const std::uint8_t kNone = 0;
  const int plain = trial.encode(&kNone, 0);
  if (plain != 1) return plain;

  Splitter splitter(trial, data_,
                    [this](std::uint32_t index, std::uint32_t count, bool last) { return block(index, count, last); });
  return MacroSplitter<Splitter>(splitter, length_).split(file_.segmentCount, pieces_);
}

int MacroSet::encode(Encoder& encoder, std::size_t i) const {
  if (i >= pieces_.size()) return PDF417_ERR_TOO_LONG;
  const auto count = static_cast<std::uint32_t>(pieces_.size());
  const std::vector<std::uint16_t> b = block(static_cast<std::uint32_t>(i), count, i + 1 == pieces_.size());
  if (b.empty() || !encoder.setMacroControlBlock(b.data(), static_cast<unsigned>(b.size()))) {
    return PDF417_ERR_TOO_LONG;
  }
  return encoder.encode(data_ + pieces_[i].offset, pieces_[i].length);
}

}  // namespace torv::pdf417
