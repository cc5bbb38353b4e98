// Command line of the pdf417 command.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "command_line.h"

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
  bool force = false;  // write pictures with uneven or vanishing modules anyway
  bool batch = false;  // one data item per line (or per NUL with nulSeparated), one picture each
  bool nulSeparated = false;
  int jobs = 0;  // threads of a batch; 0: one per core
  int quietModules = 2;
  bool help = false;
  bool version = false;
};

Options parseOptions(const std::vector<std::string>& arguments);

const char* usageText();

}  // namespace torv::tools
