// SPDX-License-Identifier: Apache-2.0
#include "pdf417/micro_macro.h"

#include <algorithm>

#include "pdf417/macro_split.h"
#include "pdf417/pdf417.h"

namespace torv::pdf417 {
namespace {

// The most bytes one MicroPDF417 symbol holds: 126 data codewords of digits, 44 to 15 codewords.
constexpr std::uint32_t kMaxSymbolBytes = (kMicroMaxData / 15 + 1) * 44;

// Trial encodes of pieces of the file as segments of a MicroPDF417 set, for MacroSplitter. A piece
// "fits" when its bytes encode with the segment's control block and leave `slack` codewords of the
// symbol's room unused.
class MicroTrial {
 public:
  MicroTrial(const MicroEncoder& settings, const std::uint8_t* data, const MicroMacroSet& set)
      : trial_(settings), data_(data), set_(set) {
    const MicroOptions& o = settings.options();
    if (o.rows != 0) {
      capacity_ = kMicroSizes[microSizeIndex(o.columns, o.rows)].dataCapacity();
    } else {
      for (const MicroSize& s : kMicroSizes) {
        if (s.columns == o.columns) capacity_ = std::max(capacity_, s.dataCapacity());
      }
    }
  }

  std::uint32_t room(std::uint32_t index, std::uint32_t count, bool last) {
    if (!setBlock(index, count, last)) return 0;
    static const std::uint8_t kNone = 0;
    if (trial_.encode(&kNone, 0) != 1) return 0;
    fixed_ = static_cast<std::uint32_t>(trial_.codewords().size());
    return fixed_ < capacity_ ? capacity_ - fixed_ : 0;
  }

  // The encoder tells no read position: the most bytes that fit, found by halving (a guess, as the
  // modes chosen for n bytes depend on the bytes after them).
  std::uint32_t fit(std::uint32_t offset, std::uint32_t limit, std::uint32_t index, std::uint32_t count, bool last,
                    std::uint32_t slack) {
    if (fitsExactly(offset, limit, index, count, last, slack)) return limit;
    std::uint32_t good = 0;
    std::uint32_t bad = std::min(limit, kMaxSymbolBytes + 1);
    while (bad - good > 1) {
      const std::uint32_t mid = good + (bad - good) / 2;
      (fitsExactly(offset, mid, index, count, last, slack) ? good : bad) = mid;
    }
    return good;
  }

  bool fitsExactly(std::uint32_t offset, std::uint32_t n, std::uint32_t index, std::uint32_t count, bool last,
                   std::uint32_t slack) {
    if (room(index, count, last) == 0) return false;
    if (n > kMaxSymbolBytes || trial_.encode(data_ + offset, n) != 1) return false;
    const auto total = static_cast<std::uint32_t>(trial_.codewords().size());
    if (total + slack > capacity_) return false;
    used_ = total - fixed_;
    return true;
  }

  std::uint32_t used() const { return used_; }

 private:
  bool setBlock(std::uint32_t index, std::uint32_t count, bool last) {
    MicroMacro block = set_.block(0);
    block.segmentIndex = index;
    if (block.segmentCount != 0) block.segmentCount = count;
    block.last = last;
    std::vector<std::uint16_t> codewords;
    if (!appendMicroMacroBlock(block, codewords)) return false;
    trial_.setMacro(block);
    return true;
  }

  MicroEncoder trial_;
  const std::uint8_t* data_;
  const MicroMacroSet& set_;
  std::uint32_t capacity_ = 0;
  std::uint32_t fixed_ = 0;  // the ECI and control block codewords of the last room
  std::uint32_t used_ = 0;
};

}  // namespace

MicroMacro MicroMacroSet::block(std::size_t i) const {
  MicroMacro block;
  block.segmentIndex = static_cast<std::uint32_t>(i);
  block.fileId = file_.fileId;
  block.fileName = file_.fileName;
  block.segmentCount = file_.segmentCount ? static_cast<std::uint32_t>(std::max<std::size_t>(pieces_.size(), 1)) : 0;
  block.last = i + 1 == pieces_.size();
  return block;
}

int MicroMacroSet::split(const MicroEncoder& settings, const void* data, std::uint32_t length,
                         const MicroMacroFile& file) {
  pieces_.clear();
  data_ = static_cast<const std::uint8_t*>(data);
  length_ = data_ != nullptr ? length : 0;
  file_ = file;
  if (file_.fileId.empty()) file_.fileId = macroFileIdOf(data_, length_);
  MicroEncoder sized = settings;
  columns_ = settings.options().columns != 0 ? settings.options().columns : static_cast<int>(kMicroMaxColumns);
  rows_ = settings.options().rows;
  if (sized.setSize(columns_, rows_) != 1) return PDF417_ERR_NO_ARRANGEMENT;
  sized.clearMacro();
  std::vector<std::uint16_t> first;
  if (!appendMicroMacroBlock(block(0), first)) return PDF417_ERR_NO_ARRANGEMENT;
  MicroTrial trial(sized, data_, *this);
  return MacroSplitter<MicroTrial>(trial, length_).split(file_.segmentCount, pieces_);
}

int MicroMacroSet::encode(MicroEncoder& encoder, std::size_t i) const {
  if (i >= pieces_.size() || encoder.setSize(columns_, rows_) != 1) return PDF417_ERR_TOO_LONG;
  encoder.setMacro(block(i));
  return encoder.encode(data_ + pieces_[i].offset, pieces_[i].length);
}

}  // namespace torv::pdf417
