// SPDX-License-Identifier: Apache-2.0
// The PDF417 encoder's operations: one process-wide encoder that turns bytes into a
// PDF417 symbol and writes it as a one-bit BMP image.
//
// Call sequence: pdf417Reset, the setters, pdf417OpenMemory on the data (input) and on an
// image buffer (output), pdf417Encode, pdf417Write, pdf417Close. These operations are a thin
// layer over one process-wide Encoder (encoder.h), whose stages code can also use directly.
//
// Integer options are taken as int and compared as unsigned 16-bit values: only the low
// 16 bits count, so 65536 acts as 0 and -1 as 65535. Setters return 1 when they take the
// value and 0 when they reject it; a rejected value leaves the options unchanged.
//
// The encoder keeps one state for the whole process and takes no lock: one call sequence
// at a time. It serves direct callers (tools, tests, fuzz targets); the plug-in draws with an
// Encoder of its own per call and never touches it.
#pragma once

#include <cstdint>

namespace torv::pdf417 {

// Integer options count as unsigned 16-bit values.
constexpr std::uint16_t low16(std::int32_t value) { return static_cast<std::uint16_t>(value); }

// Sizing modes (pdf417SetSizingMode).
constexpr int SIZING_FIXED = 0;    // rows/columns are the arrangement (0 = derive one of them)
constexpr int SIZING_BOUNDED = 1;  // rows/columns are upper bounds, the aspect ratio decides

// Stream directions (pdf417OpenMemory).
constexpr int PDF417_STREAM_INPUT = 1;
constexpr int PDF417_STREAM_OUTPUT = 2;

// Error codes (negative 16-bit values).
constexpr int PDF417_ERR_NO_STREAM = -4;       // encode: no stream record given
constexpr int PDF417_ERR_NO_ARRANGEMENT = -7;  // write: no rows/columns arrangement holds the codewords
constexpr int PDF417_ERR_NOT_INPUT = -8;       // encode: the stream is not an input stream
constexpr int PDF417_ERR_NOT_OUTPUT = -9;      // write: the stream is not an output stream
constexpr int PDF417_ERR_TOO_LONG = -11;       // encode: the data does not fit the symbol
constexpr int PDF417_ERR_NOT_ENCODED = -12;    // write: there is no encoded message
constexpr int PDF417_ERR_NO_ROOM = -17;        // encode: error correction leaves no room for data
constexpr int PDF417_ERR_WRITER = -20;         // write: the bitmap writer failed (e.g. buffer too small)
constexpr int PDF417_ERR_NO_TARGET = -21;      // write: neither an output stream nor a size variable

// Largest data length that encode accepts at all.
constexpr std::uint32_t PDF417_MAX_DATA_LENGTH = 183996320u;

// A memory stream. The record never owns the buffer it was opened on.
// Input: the encoder reads at most `available` bytes from `data`, from the read cursor on.
// Output: blocks are copied to `buffer`; a block that would pass `capacity` is refused
// and nothing is written past the buffer.
struct Pdf417Stream {
  bool isMemory = false;  // set by pdf417OpenMemory
  int direction = 0;      // PDF417_STREAM_INPUT or PDF417_STREAM_OUTPUT

  const std::uint8_t* data = nullptr;  // input bytes
  std::uint32_t available = 0;         // input bytes that may be read
  std::uint32_t readCursor = 0;

  std::uint8_t* buffer = nullptr;  // output buffer
  std::uint32_t capacity = 0;      // its size in bytes
  std::uint32_t written = 0;       // bytes written by the current write
};

// Puts every option to its reset value, uninstalls the bitmap writer and forgets the
// encoded message. Returns 1.
int pdf417Reset();

// Level 0..8; fixes the level and turns the automatic raise off.
int pdf417SetEccLevel(int level);

// SIZING_BOUNDED sets rows 90 / columns 30; SIZING_FIXED sets rows 58 / columns 16.
int pdf417SetSizingMode(int mode);

// rows 0 or 3..90, columns 0..30; bounded mode needs both nonzero; fixed mode needs at
// least one nonzero and, when both are, rows * columns <= 928.
int pdf417SetRowsColumns(int rows, int columns);

// Target symbol height:width as "h:w" (decimal, up to two decimal places), giving a
// ratio in 0.01..10.00. A null text is rejected.
int pdf417SetAspectRatio(const char* ratio);

// Row height : module width as "h:w" or "h" (w = 1); fractions are dropped, each side
// 1..25. A null text is rejected.
int pdf417SetRowHeightRatio(const char* ratio);

// Installs the BMP writer: module width 0..20 pixels (0 draws as 1), with or without the
// 14-byte file header.
int pdf417SetBitmapWriter(int moduleWidth, bool withFileHeader);

// Clears the record and opens it as a memory stream. Input: `capacity` bytes of data at
// `buffer` are available (a null buffer holds none). Output: `buffer` holds `capacity`
// bytes. Returns 0 when no record is given, else 1.
int pdf417OpenMemory(Pdf417Stream* stream, int direction, void* buffer, std::uint32_t capacity);

// Encodes the first `length` bytes of the input stream into data codewords. Returns 1,
// or PDF417_ERR_NO_STREAM, _NOT_INPUT, _TOO_LONG (also for a negative length or a length
// beyond the bytes the stream holds), _NO_ROOM. Closes the input stream on the way out.
int pdf417Encode(Pdf417Stream* stream, std::int32_t length);

// Adds error correction, lays out the symbol and writes the BMP into the output stream.
// With outStream null and bytesWritten given, stores the exact size a write would produce
// (0 without a writer). Returns 0, or PDF417_ERR_NOT_ENCODED, _NO_ARRANGEMENT,
// _NO_TARGET, _NOT_OUTPUT, _WRITER (the bitmap does not fit the output buffer; nothing is
// written past it and bytesWritten is left unchanged).
int pdf417Write(Pdf417Stream* outStream, std::int32_t* bytesWritten);

// Closes the stream (null is allowed) and forgets the encoded message. Returns 1.
int pdf417Close(Pdf417Stream* stream);

}  // namespace torv::pdf417
