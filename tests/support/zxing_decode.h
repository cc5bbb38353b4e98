// SPDX-License-Identifier: Apache-2.0
// Reads a PDF417 symbol with the zxing-cpp reader, for tests that need an independent decoder.
//
//   std::optional<std::vector<std::uint8_t>> bytes = torv::test::decodePdf417(w, h, pixels);
//
// The image is 8-bit grayscale (0 = black, 255 = white), top row first, `rowStride` bytes per row
// (0 means `width`). It may be as small as one pixel per module and one pixel per row: the helper
// measures the narrowest bar or space and the lowest row, scales the image up with nearest-neighbour
// sampling so that a module is at least 3 pixels wide and a row at least 4 pixels high, and surrounds
// it with a white quiet zone, as the reader needs. It returns the exact payload bytes of the symbol
// (no character set conversion), or nothing when no PDF417 symbol was read. An empty payload also
// reads as nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bmp_reader.h"

namespace torv::test {

struct Pdf417ReadOptions {
  // Measured from the image when 0.
  int modulePx = 0;
  int rowPx = 0;
  int minModulePx = 3;   // wanted module width after scaling
  int minRowPx = 4;      // wanted row height after scaling
  int quietModules = 4;  // white margin on every side, in (scaled) modules
};

std::optional<std::vector<std::uint8_t>> decodePdf417(int width, int height, const std::uint8_t* pixels,
                                                      int rowStride = 0, const Pdf417ReadOptions& options = {});

// Same, with the reader's error text (or "no symbol found") in `why` when nothing is returned.
std::optional<std::vector<std::uint8_t>> decodePdf417(int width, int height, const std::uint8_t* pixels, int rowStride,
                                                      const Pdf417ReadOptions& options, std::string& why);

// What the reader tells about a symbol besides its bytes: its place in a Macro PDF417 set (index and
// size -1 outside a set) and the Reader Initialisation flag.
struct Pdf417Reading {
  std::vector<std::uint8_t> bytes;
  int sequenceIndex = -1;
  int sequenceSize = -1;
  std::string sequenceId;
  bool readerInit = false;
};

// Same image rules as decodePdf417; nothing when no symbol was read (`why` says why).
std::optional<Pdf417Reading> readPdf417(int width, int height, const std::uint8_t* pixels, int rowStride,
                                        const Pdf417ReadOptions& options, std::string& why);

// A one-bit BMP as read by readOneBitBmp (its palette decides which pixels are dark).
std::optional<std::vector<std::uint8_t>> decodePdf417(const OneBitBmp& bmp, const Pdf417ReadOptions& options = {});

}  // namespace torv::test
