// SPDX-License-Identifier: Apache-2.0
// The encoder as an object. Its stages are plain functions on values: plan (options -> capacity,
// capacity_plan.h), compact (bytes -> data codewords, compaction.h), lay out (level, arrangement,
// pads, check codewords -> symbol, layout.h) and the writers that draw the symbol's module rows
// (bitmap_writer.h). The object keeps what lies between the calls of the operations: the options,
// the encoded message and the last written symbol.
//
// The operations that stand for the pdf417* functions return what those return (encode 1, write
// 0 on success). The steps below them (encodeBytes, layOut, writeLaidOut) share one convention:
// 0 on success, otherwise a negative PDF417_ERR_* code.
#pragma once

#include <cstdint>
#include <vector>

#include "pdf417/codeword_buffer.h"
#include "pdf417/options.h"
#include "pdf417/pdf417.h"
#include "pdf417/symbol.h"

namespace torv::pdf417 {

class Encoder {
 public:
  // The operations of pdf417.h, with the same results.
  int reset();
  int setEccLevel(int level);
  int setSizingMode(int mode);
  int setRowsColumns(int rows, int columns);
  int setAspectRatio(const char* ratio);
  int setRowHeightRatio(const char* ratio);
  int setBitmapWriter(int moduleWidth, bool withFileHeader);
  // Names extended channel 0..811799 before the data of later encodes (-1: none); 0 when refused.
  int setEci(int eci);
  // Compaction of later encodes; 0 when refused. Compaction::Fewest encodes all or nothing: a
  // message that does not fit leaves the input stream's cursor where it was.
  int setCompaction(Compaction compaction);
  // Compact (truncated) symbols for later encodes: no right row indicator, a one-bar stop pattern.
  int setCompact(bool compact);
  // Reader Initialisation for later encodes: 921 right after the length descriptor. Returns 1.
  int setReaderInit(bool readerInit);
  // The codewords (0..928) that end the data of later encodes, after the pads: a Macro PDF417
  // control block (macro.h builds them). Null or 0 codewords: none. 0 when more than 928 are given.
  // Forgets the encoded message, whose room was planned around the block it had.
  int setMacroControlBlock(const std::uint16_t* codewords, unsigned count);
  int encode(Pdf417Stream* stream, std::int32_t length);
  int write(Pdf417Stream* outStream, std::int32_t* bytesWritten);
  int close(Pdf417Stream* stream);

  // Takes a whole set of options at once (the reset values, then these); forgets the message and
  // the control block.
  void configure(const Pdf417Options& options, const BitmapOptions& bitmap);

  // Encodes `length` bytes; returns what encode returns.
  int encode(const void* data, std::uint32_t length);

  // Compacts the bytes into the message: 0, or the code that encode returns for them.
  int encodeBytes(const std::uint8_t* data, std::uint32_t length);

  // Lays the encoded message out as symbol(): 0, or the code that write returns for it. The
  // caller then draws the symbol's module rows (renderPixelRow) or writes its file (writeLaidOut).
  int layOut();

  // The size query, a buffer of that size and the write in one step: returns what write returns
  // and leaves the file in `image` (empty on failure and without a writer).
  int writeImage(std::vector<std::uint8_t>& image);

  // Writes the symbol that the last successful write or size query laid out, without laying it
  // out again: a size query, a buffer of that size and this make one layout. Returns what write
  // returns for that symbol; PDF417_ERR_NOT_ENCODED when no symbol was laid out since the encode.
  int writeLaidOut(Pdf417Stream* outStream, std::int32_t* bytesWritten);

  const Pdf417Options& options() const { return options_; }
  const BitmapOptions& bitmap() const { return bitmap_; }
  // The encoded message (descriptor slot, data codewords), or null when none is held.
  const CodewordBuffer* message() const { return encoded_ ? &message_ : nullptr; }
  // The symbol of the last successful write or size query.
  const Symbol& symbol() const { return symbol_; }

 private:
  // Compacts data[*cursor .. end) with the options; moves *cursor over what was taken (Fewest:
  // all or nothing). 0, or the code that encode returns.
  int compactFrom(const std::uint8_t* data, std::uint32_t* cursor, std::uint32_t end);

  Pdf417Options options_;
  BitmapOptions bitmap_;
  CodewordBuffer message_;
  bool encoded_ = false;
  bool laidOut_ = false;  // symbol_ holds the layout of the encoded message
  Symbol symbol_;
  std::vector<std::uint16_t> macroBlock_;  // ends the data after the pads; empty for a plain symbol
};

// The one instance behind the pdf417* operations, for their callers only (the plug-in draws with
// an encoder of its own per call): one call sequence at a time, no lock.
Encoder& processEncoder();

}  // namespace torv::pdf417
