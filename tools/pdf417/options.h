// SPDX-License-Identifier: Apache-2.0
// Command line of the pdf417 command.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "command_line.h"
#include "option_table.h"

namespace torv::tools {

struct Options {
  std::optional<std::string> text;      // data given on the command line
  std::optional<std::string> dataFile;  // data read from this file ("-" = standard input)
  std::string output = "pdf417.png";
  std::string format;  // "png", "bmp" or "svg"; from the output name when empty
  std::string plugin;  // path of the plug-in; next to the program when empty
  int rows = 0;
  int columns = 0;
  int level = -1;  // -1: automatic
  int xScale = 2;
  int yScale = 5;
  int dpi = 0;  // 0: 128 for paint, 96 for print (see usage)
  bool dpiGiven = false;
  float scale = 1.0f;
  bool print = false;
  bool force = false;   // write pictures with uneven or vanishing modules anyway
  bool strict = false;  // refuse a text that a reader would not return as it is
  bool batch = false;   // one data item per line (or per NUL with nulSeparated), one picture each
  bool nulSeparated = false;
  int jobs = 0;  // pictures drawn at once by --batch; 0: one per processor
  int quietModules = 2;
  bool quiet = false;  // nothing but errors on standard output and error
  bool help = false;
  bool version = false;
};

Options parseOptions(const std::vector<std::string>& arguments);

std::string usageText();

// The command line's table; the parser applies it to `options`.
CommandSpec pdf417Command(Options& options);

}  // namespace torv::tools
