// SPDX-License-Identifier: Apache-2.0
// MicroPDF417 (ISO/IEC 24728) as an encoder of its own beside the PDF417 Encoder: bytes become
// data codewords (the symbol starts in Byte Compaction, so every segment, the first included,
// begins with its latch), an optional Macro control block follows, and the symbol takes one of
// the 34 sizes with its fixed error correction. The symbol's module rows (micro_symbol.h) are
// what every writer draws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pdf417/micro_symbol.h"
#include "pdf417/options.h"

namespace torv::pdf417 {

// The Macro control block of one symbol of a set: segment index, file ID, the optional file
// name and segment count, and the terminator in the last symbol.
struct MicroMacro {
  std::uint32_t segmentIndex = 0;     // 0..99998
  std::vector<std::uint16_t> fileId;  // codewords 0..899, each read back as three digits; at least one
  std::uint32_t segmentCount = 0;     // 1..99999; 0 leaves the field out
  std::string fileName;               // Text Compaction bytes; empty leaves the field out
  bool last = false;                  // this symbol ends the set (922)
};

struct MicroOptions {
  std::uint8_t columns = 0;                   // 1..4; 0 = any
  std::uint8_t rows = 0;                      // one of the row counts of that width; 0 = the fewest that hold the data
  std::int32_t eci = -1;                      // extended channel 0..811799 before the data; -1 none
  Compaction compaction = Compaction::Rules;  // Fewest: the shortest encoding from Byte Compaction on
  std::uint16_t rowHeightNum = 2;             // row height : module width, each 1..25
  std::uint16_t rowHeightDen = 1;
  bool macro = false;  // the symbol is one of a Macro set
  MicroMacro macroBlock;
};

// Codewords of a Macro control block (928 ...), appended to out; false when a field is out of its range.
bool appendMicroMacroBlock(const MicroMacro& macro, std::vector<std::uint16_t>& out);

class MicroEncoder {
 public:
  // Size: columns 1..4 with rows 0 or one of that width's row counts, or both 0. 1 taken, 0 refused.
  int setSize(int columns, int rows);
  int setEci(int eci);
  // The segment rules (default) or the fewest codewords; 0 for neither.
  int setCompaction(Compaction compaction);
  // "h:w" or "h", each 1..25, as the PDF417 encoder takes it.
  int setRowHeightRatio(const char* ratio);
  // Makes the next symbols part of a Macro set (the block is checked at encode); clearMacro ends that.
  void setMacro(const MicroMacro& macro);
  void clearMacro();
  void configure(const MicroOptions& options) { options_ = options; }
  const MicroOptions& options() const { return options_; }

  // Encodes `length` bytes and lays the symbol out. Returns 1, PDF417_ERR_TOO_LONG when no size
  // (or not the size asked for) holds the data, PDF417_ERR_NO_ARRANGEMENT for a Macro block out of range.
  int encode(const void* data, std::uint32_t length);

  // The symbol of the last successful encode.
  const MicroSymbol& symbol() const { return symbol_; }
  // The data codewords of the last successful encode (Macro block included, no pads).
  const std::vector<std::uint16_t>& codewords() const { return codewords_; }

 private:
  MicroOptions options_;
  MicroSymbol symbol_;
  std::vector<std::uint16_t> codewords_;
};

// The Micro bitmap: size query, pixel rows and BMP file as the PDF417 writer makes them, for the
// Micro symbol's module rows (bitmap_writer.h).
std::uint32_t microBitmapSize(const MicroSymbol& symbol, const BitmapOptions& bitmap);
void renderMicroPixelRow(const MicroSymbol& symbol, unsigned r, unsigned moduleWidthPx, std::uint8_t* out,
                         std::uint32_t stride);
// The BMP file (file header when asked, info header, colour table, pixel rows bottom-up) into image.
void writeMicroBitmap(std::vector<std::uint8_t>& image, const MicroSymbol& symbol, const BitmapOptions& bitmap);

}  // namespace torv::pdf417
