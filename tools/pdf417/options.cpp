#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace torv::tools {
namespace {

float parseScale(const std::string& option, const std::string& text) {
  char* end = nullptr;
  const float value = std::strtof(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value) || value <= 0.0f || value > 100.0f) {
    throw UsageError(option + " takes a number above 0 and at most 100, not '" + text + "'");
  }
  return value;
}

// A batch names its pictures from one %d (with optional zero padding and width), e.g. label-%05d.svg.
void checkOutputPattern(const std::string& pattern) {
  int numbers = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < pattern.size() && end - i <= 2 && pattern[end] >= '0' && pattern[end] <= '9') ++end;
    if (end >= pattern.size() || pattern[end] != 'd') {
      throw UsageError("--batch names its pictures from -o with one %d, %05d or the like; '" + pattern +
                       "' has another % sequence (write %% for a percent sign)");
    }
    ++numbers;
    i = end;
  }
  if (numbers != 1) {
    throw UsageError("--batch needs -o with one %d (or %05d) for the item number, e.g. -o label-%05d.svg");
  }
}

void checkCombination(const Options& o) {
  if (o.rows != 0 && o.rows < 3) throw UsageError("--rows must be 0 (chosen for you) or 3 to 90");
  if (o.rows != 0 && o.columns != 0 && o.rows * o.columns > 928) {
    throw UsageError("--rows times --columns must be at most 928 (" + std::to_string(o.rows) + " x " +
                     std::to_string(o.columns) + " = " + std::to_string(o.rows * o.columns) + ")");
  }
  if (o.xScale + o.yScale - 1 > 25) {
    throw UsageError("a row is --xscale + --yscale - 1 pixels high, at most 25 (here " +
                     std::to_string(o.xScale + o.yScale - 1) + ")");
  }
  if (o.text && o.dataFile) throw UsageError("give the data either as TEXT or with --file, not both");
  if (o.print && o.scale != 1.0f) {
    throw UsageError("--scale applies to painting only; --print draws the physical size at --dpi");
  }
  if (o.nulSeparated && !o.batch) throw UsageError("-0 separates the items of --batch");
  if (o.batch && o.text) throw UsageError("--batch reads its items from --file or standard input, not from TEXT");
  if (o.batch) checkOutputPattern(o.output);
}

}  // namespace

const char* usageText() {
  return "usage: pdf417 [options] [TEXT]\n"
         "       pdf417 --batch [options] -o NAME-%05d.EXT [--file ITEMS]\n"
         "Draws TEXT as a PDF417 barcode with the torvc_pdf417 plug-in, called as a report host\n"
         "calls it, and writes the picture that the host's device would show (to drive the\n"
         "encoder directly, use pdf417-encode). Pictures whose modules would be uneven or\n"
         "under a pixel are refused with the --scale or --dpi that gives whole pixels.\n"
         "Without TEXT the data is read from --file or from standard input (bytes taken as they\n"
         "are, a trailing newline included). The data is UTF-8; the plug-in encodes it in\n"
         "Windows-1252, and characters outside that code page become '?'.\n"
         "\n"
         "  -o, --output FILE    picture to write, .png, .bmp or .svg (default pdf417.png);\n"
         "                       '-' writes to standard output (PNG unless --format says)\n"
         "  -f, --file FILE      read the data from FILE ('-' for standard input)\n"
         "      --format FMT     png, bmp or svg, whatever the output name says\n"
         "  -r, --rows N         symbol rows, 3 to 90; 0 lets the encoder choose (default 0)\n"
         "  -c, --columns N      data columns, 1 to 30; 0 lets the encoder choose (default 0;\n"
         "                       with rows 0 too, the symbol is about half as high as wide)\n"
         "  -l, --level N        error-correction level 0 to 8, or auto (default auto)\n"
         "  -x, --xscale N       module width in pixels, 1 to 20 (default 2)\n"
         "  -y, --yscale N       row height is xscale + yscale - 1 pixels (default 5)\n"
         "      --dpi N          resolution of the drawing surface; by default 128 for paint,\n"
         "                       where a host unit is one pixel, and 96 for --print, where the\n"
         "                       physical size is one pixel per bitmap pixel\n"
         "      --scale F        paint at this scale, e.g. 2 for twice as large (default 1)\n"
         "      --print          print instead of paint: the symbol's physical size at --dpi\n"
         "      --force          write a picture even when modules would be uneven or under a pixel\n"
         "      --batch          one data item per line of --file or standard input, one picture\n"
         "                       each, named from -o with %d as the line number (-o label-%05d.svg)\n"
         "  -0                   with --batch: items end with a NUL character, not a line end\n"
         "  -j, --jobs N         with --batch: pictures made on N threads (default: one per core);\n"
         "                       the files and the report are the same for any N\n"
         "      --quiet N        white margin in modules around the symbol (default 2)\n"
         "      --plugin PATH    load the plug-in library PATH (default: the copy built in)\n"
         "  -h, --help           this text\n"
         "      --version        the release this command belongs to\n"
         "\n"
         "Examples:\n"
         "  pdf417 -o label.svg 'Order 4711'\n"
         "  pdf417 --print --dpi 384 -x 1 -o label.png 'Order 4711'\n"
         "  pdf417 --batch -o label-%05d.png --file orders.txt\n"
         "Exit status: 0 written; 1 the data does not fit, cannot be read or written, or (with\n"
         "--batch) any item failed; 2 a bad command line or a picture refused as unreadable.\n";
}

Options parseOptions(const std::vector<std::string>& arguments) {
  Options o;
  bool formatGiven = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= arguments.size()) throw UsageError(argument + " needs a value");
      return arguments[++i];
    };
    if (argument == "-h" || argument == "--help") {
      o.help = true;
    } else if (argument == "--version") {
      o.version = true;
    } else if (argument == "-o" || argument == "--output") {
      o.output = value();
    } else if (argument == "-f" || argument == "--file") {
      o.dataFile = value();
    } else if (argument == "--format") {
      o.format = parseFormat(value());
      formatGiven = true;
    } else if (argument == "-r" || argument == "--rows") {
      o.rows = parseInt(argument, value(), 0, 90);
    } else if (argument == "-c" || argument == "--columns") {
      o.columns = parseInt(argument, value(), 0, 30);
    } else if (argument == "-l" || argument == "--level") {
      o.level = parseLevel(argument, value());
    } else if (argument == "-x" || argument == "--xscale") {
      o.xScale = parseInt(argument, value(), 1, 20);
    } else if (argument == "-y" || argument == "--yscale") {
      o.yScale = parseInt(argument, value(), 1, 25);
    } else if (argument == "--dpi") {
      o.dpi = parseInt(argument, value(), 1, 9600);
      o.dpiGiven = true;
    } else if (argument == "--scale") {
      o.scale = parseScale(argument, value());
    } else if (argument == "--print") {
      o.print = true;
    } else if (argument == "--force") {
      o.force = true;
    } else if (argument == "--batch") {
      o.batch = true;
    } else if (argument == "-j" || argument == "--jobs") {
      o.jobs = parseInt(argument, value(), 1, 1024);
    } else if (argument == "-0") {
      o.nulSeparated = true;
    } else if (argument == "--quiet") {
      o.quietModules = parseInt(argument, value(), 0, 100);
    } else if (argument == "--plugin") {
      o.plugin = value();
    } else if (argument == "--") {
      if (i + 2 != arguments.size()) throw UsageError("-- is followed by exactly one TEXT");
      o.text = arguments[++i];
    } else if (argument.size() > 1 && argument[0] == '-') {
      throw UsageError("unknown option " + argument + " (see --help)");
    } else if (o.text) {
      throw UsageError("only one TEXT may be given; quote it if it has spaces");
    } else {
      o.text = argument;
    }
  }
  if (o.help || o.version) return o;
  checkCombination(o);
  if (o.dpi == 0) o.dpi = o.print ? 96 : 128;
  if (!formatGiven) o.format = formatFromName(o.output);
  return o;
}

}  // namespace torv::tools
