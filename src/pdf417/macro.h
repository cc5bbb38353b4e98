// SPDX-License-Identifier: Apache-2.0
// Macro PDF417: one file spread over a set of symbols, each a complete symbol that ends its data
// with a control block: 928, its segment index (five digits, Numeric Compaction), the file ID
// (codewords 0..899, three decimal digits each) and optional fields (923 and a designator), then
// 922 on the last segment only. A reader puts the segments back together by index.
//
//   MacroFile file;
//   file.fileName = "statement.xml.gz";
//   MacroSet set;
//   if (set.split(settings, bytes.data(), bytes.size(), file) == 0)
//     for (std::size_t i = 0; i < set.size(); ++i) { set.encode(encoder, i); encoder.writeImage(picture); ... }
//
// `settings` and `encoder` carry the same options (shape, level, compact, ECI): the split decides how
// many bytes each symbol of that shape holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pdf417/encoder.h"

namespace torv::pdf417 {

constexpr std::uint16_t kMacroControlBlock = 928;
constexpr std::uint16_t kMacroOptionalField = 923;
constexpr std::uint16_t kMacroTerminator = 922;
constexpr std::uint32_t kMaxMacroSegments = 99999;  // the index has five digits

// What every symbol of a set says about the file.
struct MacroFile {
  // Codewords 0..899; empty: three codewords derived from the bytes, so that a set made twice from
  // the same file carries the same ID.
  std::vector<std::uint16_t> fileId;
  // Text fields (designators 0, 3, 4), in Text Compaction; a byte that Text Compaction lacks is shifted
  // in with 913.
  std::optional<std::string> fileName;
  std::optional<std::string> sender;
  std::optional<std::string> addressee;
  // Seconds since 1970-01-01 00:00:00 UTC (designator 2).
  std::optional<std::uint64_t> timeStamp;
  bool segmentCount = true;  // the number of symbols in the set (designator 1)
  bool fileSize = false;     // the file's size in bytes (designator 5)
  bool checksum = false;     // the file's CRC-16 (designator 6), computed here
};

// The CRC-16 of a whole file as a Macro PDF417 set carries it: polynomial x^16 + x^12 + x^5 + 1
// (0x1021), register preset to all ones, bits most significant first, no final inversion.
std::uint16_t macroChecksum(const std::uint8_t* data, std::size_t length);

// The file ID as a text of digits: each group of three digits is one codeword 0..899. Nothing when
// the text is empty, has a length not a multiple of 3, another character or a group above 899.
std::optional<std::vector<std::uint16_t>> macroFileIdFromDigits(const std::string& digits);

// One segment's place in the set.
struct MacroSegment {
  std::uint32_t index = 0;  // 0..99998
  std::uint32_t count = 0;  // symbols in the set (for the segment count field)
  bool last = false;
};

// The file ID that a set of these bytes carries when none is given: three codewords from a hash.
std::vector<std::uint16_t> macroFileIdOf(const std::uint8_t* data, std::size_t length);

// Appends the control block of a segment to out; fileSize and checksum are the whole file's.
// False when the file ID is empty or holds a codeword above 899, the index is out of range or a
// text field is too long for any symbol.
bool appendMacroControlBlock(const MacroFile& file, std::uint64_t fileSize, std::uint16_t checksum,
                             const MacroSegment& segment, std::vector<std::uint16_t>& out);

// A byte range of the file that one symbol holds.
struct MacroPiece {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

class MacroSet {
 public:
  // Splits data[0..length) into the fewest symbols that the options of `settings` hold with their
  // control blocks (each symbol filled in turn with the most bytes it holds gives that number), with
  // the codewords shared out evenly between them, so that the symbols come out alike. The bytes are kept
  // by pointer: they must outlive the set. Returns 0, PDF417_ERR_NO_ROOM when the options leave no
  // room at all, or PDF417_ERR_TOO_LONG when the control block leaves no room for data or the set
  // would need more than 99,999 symbols.
  int split(const Encoder& settings, const void* data, std::uint32_t length, const MacroFile& file);

  std::size_t size() const { return pieces_.size(); }
  const MacroPiece& piece(std::size_t i) const { return pieces_[i]; }

  // Sets segment i's control block on `encoder` (with the options of the split) and encodes its
  // bytes; returns what encode returns. Segments may be encoded on several threads at once, each
  // with an encoder of its own.
  int encode(Encoder& encoder, std::size_t i) const;

 private:
  // The control block of segment `index` with the count and last flag given (empty when refused).
  std::vector<std::uint16_t> block(std::uint32_t index, std::uint32_t count, bool last) const;

  const std::uint8_t* data_ = nullptr;
  std::uint32_t length_ = 0;
  MacroFile file_;  // with its file ID
  std::uint16_t checksum_ = 0;
  std::vector<MacroPiece> pieces_;
};

}  // namespace torv::pdf417
