// SPDX-License-Identifier: Apache-2.0
#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "batch.h"

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
  if (o.batch) checkItemFilePattern("--batch", o.output);
}

}  // namespace

CommandSpec pdf417Command(Options& o) {
  CommandSpec command;
  command.name = "pdf417";
  command.summary = "draw a text as a PDF417 barcode picture through the report plug-in";
  command.synopsis = {"[options] [TEXT]", "--batch [options] -o NAME-%05d.EXT [--file ITEMS]"};
  command.description =
      "Draws TEXT as a PDF417 barcode with the torvc_pdf417 plug-in, called as a report host\n"
      "calls it, and writes the picture that the host's device would show (to drive the\n"
      "encoder directly, use pdf417-encode). Pictures that a scanner could not read (modules\n"
      "under a pixel, or uneven modules under 2 px) are refused with settings that work on\n"
      "the same device; uneven modules of 2 px and more are written with a note.\n"
      "Without TEXT the data is read from --file or from standard input (bytes taken as they\n"
      "are, a trailing newline included). The data is UTF-8 text; the plug-in encodes it in\n"
      "Windows-1252, and characters outside that code page become '?'. Empty data is refused.\n"
      "\n"
      "Readers take data without an ECI as ISO-8859-1, so the Windows-1252 characters of\n"
      "bytes 0x80 to 0x9F (the euro sign, dashes, curly quotes, the per-mille sign and\n"
      "more) come back as the control characters U+0080 to U+009F. A note says so (and of\n"
      "'?' replacements), with the pdf417-encode command line that keeps the text;\n"
      "--strict refuses such a text.";
  command.options = {
      {'o', "output", "FILE",
       "picture to write, .png, .bmp or .svg (default pdf417.png);\n"
       "'-' writes to standard output (PNG unless --format says)",
       [&o](const std::string& v) { o.output = v; }},
      {'f', "file", "FILE", "read the data from FILE ('-' for standard input)",
       [&o](const std::string& v) { o.dataFile = v; }},
      {'\0', "format", "FMT", "png, bmp or svg, whatever the output name says",
       [&o](const std::string& v) { o.format = parseFormat(v); }},
      {'r', "rows", "N", "symbol rows, 3 to 90; 0 lets the encoder choose (default 0)",
       [&o](const std::string& v) { o.rows = parseInt("--rows", v, 0, 90); }},
      {'c', "columns", "N",
       "data columns, 1 to 30; 0 lets the encoder choose (default 0;\n"
       "with rows 0 too, the symbol is about half as high as wide)",
       [&o](const std::string& v) { o.columns = parseInt("--columns", v, 0, 30); }},
      {'l', "level", "N", "error-correction level 0 to 8, or auto (default auto)",
       [&o](const std::string& v) { o.level = parseLevel("--level", v); }},
      {'x', "xscale", "N", "module width in bitmap pixels, 1 to 20 (default 2)",
       [&o](const std::string& v) { o.xScale = parseInt("--xscale", v, 1, 20); }},
      {'y', "yscale", "N", "row height is xscale + yscale - 1 bitmap pixels (default 5)",
       [&o](const std::string& v) { o.yScale = parseInt("--yscale", v, 1, 25); }},
      {'\0', "dpi", "N",
       "resolution of the device: the printer's with --print (default\n"
       "96, one device pixel per bitmap pixel), the screen's for paint\n"
       "(default 128, where a host unit is one pixel)",
       [&o](const std::string& v) {
         o.dpi = parseInt("--dpi", v, 1, 9600);
         o.dpiGiven = true;
       }},
      {'\0', "scale", "F", "paint at this scale, e.g. 2 for twice as large (default 1)",
       [&o](const std::string& v) { o.scale = parseScale("--scale", v); }},
      {'\0', "print", "",
       "print instead of paint: the symbol's physical size (a bitmap\n"
       "pixel is 1/96 inch) at --dpi; SVG gets that size in mm exactly",
       setTo(o.print, true)},
      {'\0', "force", "", "write a picture even when a scanner could not read it", setTo(o.force, true)},
      {'\0', "strict", "",
       "refuse a text that a reader would not return as it is (drawn\n"
       "as '?', or read as control characters)",
       setTo(o.strict, true)},
      {'\0', "batch", "",
       "one data item per line of --file or standard input, one picture\n"
       "each, named from -o with %d as the line number (-o label-%05d.svg);\n"
       "an empty or bad item is reported with its line number",
       setTo(o.batch, true)},
      {'0', "", "", "with --batch: items end with a NUL character, not a line end", setTo(o.nulSeparated, true)},
      {'j', "jobs", "N",
       "with --batch: pictures drawn at once; 0 for one per processor\n(default 0); the files and the report are the "
       "same for any N",
       [&o](const std::string& v) { o.jobs = parseInt("--jobs", v, 0, 256); }},
      {'\0', "quiet-zone", "N", "white margin in modules around the symbol (default 2)",
       [&o](const std::string& v) { o.quietModules = parseInt("--quiet-zone", v, 0, 100); }},
      {'q', "quiet", "", "say nothing but errors and the notes that a reader will not\nreturn the text as it is",
       setTo(o.quiet, true)},
      {'\0', "plugin", "PATH", "load the plug-in library PATH (default: the copy built in)",
       [&o](const std::string& v) { o.plugin = v; }},
      {'h', "help", "", "this text", setTo(o.help, true)},
      {'\0', "version", "", "the release this command belongs to", setTo(o.version, true)},
  };
  command.afterOptions =
      "-- ends the options: the argument after it is TEXT, even if it begins with '-'.\n"
      "Short options take their value attached too: -j1, -x3." +
      std::string(kBatchFilePercentNote);
  command.examples = {"pdf417 -o label.svg " + shellWord("Order 4711"),
                      "pdf417 --print --dpi 203 -o label.png " + shellWord("Order 4711"),
                      "pdf417 --batch -o label-%05d.png --file orders.txt"};
  command.exitStatus =
      "0 written; 1 the data is empty, does not fit, cannot be read or\n"
      "written, is refused by --strict, or (with --batch) any item failed, an empty one\n"
      "included; 2 a bad command line or a picture refused as unreadable.";
  return command;
}

std::string usageText() {
  Options unused;
  return helpText(pdf417Command(unused));
}

Options parseOptions(const std::vector<std::string>& arguments) {
  Options o;
  const CommandSpec command = pdf417Command(o);
  const std::optional<std::string> text = parseCommandLine(command, arguments);
  if (text) o.text = text;
  if (o.help || o.version) return o;
  checkCombination(o);
  if (o.dpi == 0) o.dpi = o.print ? 96 : 128;
  if (o.format.empty()) o.format = formatFromName(o.output);
  return o;
}

}  // namespace torv::tools
