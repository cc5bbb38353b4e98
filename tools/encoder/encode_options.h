// SPDX-License-Identifier: Apache-2.0
// Command line of the pdf417-encode command.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "command_line.h"
#include "fit_box.h"
#include "option_table.h"
#include "picture_file.h"

namespace torv::tools {

struct EncodeOptions {
  std::string output;  // required; "-" = standard output
  std::string format;  // "png", "bmp", "svg", "eps" or "pdf"; from the output name unless --format
  std::optional<std::string> text;
  std::optional<std::string> inputFile;  // "-" = standard input
  int level = -1;                        // -1: automatic
  int rows = 0;                          // 0 = derive
  int columns = 0;
  bool sized = false;  // rows or columns given (not both 0): the encoder's fixed sizing
  std::string aspect = "1:2";
  int moduleWidth = 1;
  std::string rowHeight = "3";
  int quietModules = 2;
  bool quietZoneGiven = false;
  int dpi = 0;  // 0: no physical size in the file
  int eci = -1;
  bool eciGiven = false;  // else a TEXT argument is encoded so that readers return it as typed
  bool fileHeader = true;
  bool micro = false;  // MicroPDF417: --columns 1..4, --rows one of that width's sizes
  bool batch = false;  // one item per line (or per NUL with nulSeparated), one picture each
  bool nulSeparated = false;
  int jobs = 0;             // pictures made at once by --batch; 0: one per processor
  bool compact = false;     // compact (truncated) PDF417
  bool readerInit = false;  // Reader Initialisation (921)
  // Macro PDF417: the data split over a set of symbols, one picture each, named from -o's %d.
  bool macro = false;
  std::string macroId;  // digits, three per codeword; empty: derived from the data
  std::optional<std::string> macroName;
  std::optional<std::string> macroSender;
  std::optional<std::string> macroAddressee;
  std::optional<long long> macroTime;  // seconds since 1970-01-01 00:00:00 UTC
  bool macroSize = false;
  bool macroChecksum = false;
  bool verbose = false;
  bool quiet = false;  // no notes, only errors
  bool help = false;
  bool version = false;
  // Print-ready output: a box to fit, colours, a turn, and the picture read back.
  std::optional<FitBox> fit;
  bool moduleWidthGiven = false;
  bool rowHeightGiven = false;
  Colour bars = kBlack;
  Colour space = kWhite;
  int rotate = 0;  // degrees clockwise: 0, 90, 180 or 270
  bool verify = false;

  bool fewestCodewords = false;  // --compaction fewest: the shortest encoding, not the default rules
};

EncodeOptions parseEncodeOptions(const std::vector<std::string>& arguments);

std::string encodeUsageText();

// The command line's table; the parser applies it to `options`.
CommandSpec encodeCommand(EncodeOptions& options);

}  // namespace torv::tools
