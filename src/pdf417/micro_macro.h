// SPDX-License-Identifier: Apache-2.0
// Macro MicroPDF417: one file spread over a set of MicroPDF417 symbols of one width, each a complete
// symbol whose data ends with its control block (segment index, file ID, the optional file name and
// segment count, 922 in the last). The split is MacroSet's (macro_split.h): the fewest symbols, with
// the codewords shared out evenly between them.
//
//   MicroEncoder encoder;
//   encoder.setSize(3, 0);  // three columns, each symbol as few rows as its segment takes
//   MicroMacroSet set;
//   if (set.split(encoder, bytes.data(), bytes.size(), MicroMacroFile{}) == 0)
//     for (std::size_t i = 0; i < set.size(); ++i) { set.encode(encoder, i); draw(encoder.symbol()); }
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pdf417/macro.h"
#include "pdf417/micro_encoder.h"

namespace torv::pdf417 {

// What every symbol of a MicroPDF417 set says about the file.
struct MicroMacroFile {
  // Codewords 0..899; empty: macroFileIdOf the bytes, so that a set made twice carries the same ID.
  std::vector<std::uint16_t> fileId;
  std::string fileName;      // Text Compaction characters only; empty leaves the field out
  bool segmentCount = true;  // the number of symbols in the set
};

class MicroMacroSet {
 public:
  // Splits data[0..length) over the fewest symbols of the size of `settings` (its columns, 4 when
  // none; its rows, else the most of that width), with the ECI of `settings` in every symbol. The
  // bytes are kept by pointer: they must outlive the set. Returns 0, PDF417_ERR_NO_ARRANGEMENT
  // when a field is out of range (an ID codeword above 899, a name beyond Text Compaction), or
  // PDF417_ERR_TOO_LONG when the control block leaves no room for data or the set would need more
  // than 99,999 symbols.
  int split(const MicroEncoder& settings, const void* data, std::uint32_t length, const MicroMacroFile& file);

  std::size_t size() const { return pieces_.size(); }
  const MacroPiece& piece(std::size_t i) const { return pieces_[i]; }
  // The control block of segment i.
  MicroMacro block(std::size_t i) const;

  // Sets the size of the split and segment i's control block on `encoder` and encodes its bytes;
  // returns what MicroEncoder::encode returns.
  int encode(MicroEncoder& encoder, std::size_t i) const;

 private:
  const std::uint8_t* data_ = nullptr;
  std::uint32_t length_ = 0;
  MicroMacroFile file_;  // with its file ID
  int columns_ = 0;
  int rows_ = 0;
  std::vector<MacroPiece> pieces_;
};

}  // namespace torv::pdf417
