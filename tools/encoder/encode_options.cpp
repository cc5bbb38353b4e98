// SPDX-License-Identifier: Apache-2.0
#include "encode_options.h"

#include <cerrno>
#include <cstdlib>

#include "batch.h"
#include "colours.h"

namespace torv::tools {
namespace {

constexpr int kUtf8Channel = 26;

int parseEci(const std::string& text) {
  const std::string name = lowerCase(text);
  if (name == "utf8" || name == "utf-8") return kUtf8Channel;
  if (name == "none") return -1;
  if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos)
    return parseInt("--eci", name, 0, 811799);
  throw UsageError("--eci is utf8, none or a channel number from 0 to 811799, not '" + text + "'");
}

bool parseCompaction(const std::string& text) {
  const std::string name = lowerCase(text);
  if (name == "fewest") return true;
  if (name == "rules") return false;
  throw UsageError("--compaction is rules or fewest, not '" + text + "'");
}

// The picture formats of pdf417-encode: pdf417's, and EPS and PDF.
bool isVectorOnly(const std::string& format) { return format == "eps" || format == "pdf"; }

std::string encodeFormat(const std::string& text) {
  const std::string format = lowerCase(text);
  if (isVectorOnly(format)) return format;
  if (format != "png" && format != "bmp" && format != "svg") {
    throw UsageError("--format is png, bmp, svg, eps or pdf, not '" + format + "'");
  }
  return format;
}

std::string encodeFormatFromName(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : lowerCase(name.substr(dot + 1));
  if (isVectorOnly(extension)) return extension;
  if (extension == "png" || extension == "bmp" || extension == "svg" || name == "-") return formatFromName(name);
  throw UsageError("cannot tell the picture format from '" + name +
                   "': name it .png, .bmp, .svg, .eps or .pdf, or give --format");
}

void checkPrintOptions(const EncodeOptions& o) {
  if (o.fit) {
    if (o.dpi == 0) throw UsageError("--fit needs the printer's --dpi: modules are whole dots of it");
    if (o.moduleWidthGiven) throw UsageError("--fit chooses the module width: drop --module-width");
    if (o.sized) throw UsageError("--fit chooses rows and columns: drop --rows and --columns");
  }
  if (!o.fileHeader && (o.bars != kBlack || o.space != kWhite || o.rotate != 0)) {
    throw UsageError(
        "--no-file-header writes the encoder's own bitmap, black on white and upright: drop --fg, --bg "
        "and --rotate");
  }
  if (const std::string fault = contrastFault(o.bars, o.space); !fault.empty()) throw UsageError(fault);
#ifdef _WIN32
  if (o.verify) throw UsageError("--verify is not available on Windows: the Windows commands have no zxing-cpp reader");
#endif
  if (o.verify && o.output == "-") {
    throw UsageError("--verify reads the picture back from its file: give -o FILE rather than standard output");
  }
}

long long parseTimeStamp(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const long long seconds = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || text[0] == '-' || *end != '\0' || errno != 0) {
    throw UsageError("--macro-time takes seconds since 1970-01-01 00:00:00 UTC, e.g. $(date +%s), not '" + text + "'");
  }
  return seconds;
}

// A Macro PDF417 set is several pictures: named from -o, never on standard output.
void checkMacroCombination(const EncodeOptions& o) {
  if (!o.macro) return;
  if (o.output == "-") throw UsageError("--macro writes one picture per symbol: give -o with %d, not standard output");
  checkItemFilePattern("--macro", o.output);
  if (o.readerInit) throw UsageError("--reader-init cannot be combined with --macro");
  if (o.micro && (o.macroSender || o.macroAddressee || o.macroTime || o.macroSize || o.macroChecksum)) {
    throw UsageError(
        "a MicroPDF417 set carries the file ID, file name and segment count only: drop --macro-sender, "
        "--macro-addressee, --macro-time, --macro-size and --macro-checksum");
  }
  if (o.batch) throw UsageError("--macro splits one input over several symbols; it cannot be combined with --batch");
  if (o.fit) throw UsageError("--macro takes the symbol's shape from --rows, --columns and --level, not --fit");
  if (o.verify) throw UsageError("--verify reads one symbol's data back; a Macro set is only whole when read together");
  bool idOk = o.macroId.size() % 3 == 0 && o.macroId.find_first_not_of("0123456789") == std::string::npos;
  for (std::size_t i = 0; idOk && i < o.macroId.size(); i += 3) idOk = std::stoi(o.macroId.substr(i, 3)) <= 899;
  if (!idOk) {
    throw UsageError("--macro-id is groups of three digits, each 000 to 899 (e.g. 017042), not '" + o.macroId + "'");
  }
}

void checkCombination(const EncodeOptions& o, bool quietGiven) {
  if (o.output.empty()) throw UsageError("no output file given (-o FILE, or -o - for standard output)");
  if (o.rows != 0 && o.rows < 3) throw UsageError("--rows must be 0 (derived) or 3 to 90");
  if (o.rows * o.columns > 928) {
    throw UsageError("--rows times --columns must be at most 928 (" + std::to_string(o.rows) + " x " +
                     std::to_string(o.columns) + " = " + std::to_string(o.rows * o.columns) + ")");
  }
  if (o.text && o.inputFile) throw UsageError("give the data either as TEXT or with --file, not both");
  if (o.nulSeparated && !o.batch) throw UsageError("-0 separates the items of --batch");
  if (o.batch && o.text) throw UsageError("--batch reads its items from --file or standard input, not from TEXT");
  if (o.batch) checkItemFilePattern("--batch", o.output);
  if (!o.fileHeader && o.format != "bmp") throw UsageError("--no-file-header applies to BMP output only");
  // Without its file header the picture is the encoder's own bitmap, which has no margin.
  if (!o.fileHeader && quietGiven && o.quietModules != 0) {
    throw UsageError("--no-file-header writes the bare bitmap, which has no quiet zone; drop --quiet-zone");
  }
}

// MicroPDF417 sizes: 1 to 4 columns, rows from the size table (checked by the encoder), the
// error correction fixed by the size.
void checkMicro(const EncodeOptions& o) {
  if (!o.micro) return;
  if (o.columns > 4) throw UsageError("--micro takes 1 to 4 columns, not " + std::to_string(o.columns));
  if (o.rows != 0 && o.columns == 0) throw UsageError("--micro needs --columns with --rows");
  if (o.level >= 0) throw UsageError("--micro has the error correction its size fixes; drop --level");
  if (o.fit) throw UsageError("--fit chooses among PDF417 symbols; give --micro its --columns instead");
  if (o.compact || o.readerInit) throw UsageError("--compact and --reader-init are PDF417 options, not --micro ones");
}

}  // namespace

CommandSpec encodeCommand(EncodeOptions& o) {
  CommandSpec command;
  command.name = "pdf417-encode";
  command.summary = "encode a text or any bytes as a PDF417 barcode picture with the encoder itself";
  command.synopsis = {"[options] -o OUTPUT [TEXT]", "--batch [options] -o NAME-%05d.EXT [--file ITEMS]"};
  command.description =
      "Encodes TEXT, the bytes of a file or standard input as a PDF417 symbol with the encoder\n"
      "itself: for arbitrary or binary data, and for an exact X-dimension on a printer\n"
      "(-w N --dpi D makes every module N device pixels of 1/D inch). (To see what a report\n"
      "host draws through the plug-in, use pdf417.)\n"
      "\n"
      "TEXT given as an argument is encoded so that a reader returns it as typed: in\n"
      "ISO-8859-1 when every character is in it, else in UTF-8 after ECI 26 (said in a\n"
      "note). The bytes of --file and standard input are encoded as they are. --eci overrides\n"
      "both. With neither TEXT nor --file, the data is read from standard input; empty data\n"
      "is refused.\n"
      "\n"
      "--batch makes one picture of each line of --file or standard input (of each\n"
      "NUL-separated item with -0), on --jobs threads: every item is encoded as TEXT is, the\n"
      "pictures are named from -o with %d as the line number, and an empty or bad item is\n"
      "reported with its line number and fails the run.";
  // A Macro field's option sets its field and implies --macro.
  const auto macroField = [&o](std::function<void(const std::string&)> set) {
    return [&o, set](const std::string& value) {
      set(value);
      o.macro = true;
    };
  };
  command.options = {
      {'o', "output", "FILE",
       "picture to write, .png, .bmp, .svg, .eps or .pdf (required);\n'-' writes"
       " to standard output (PNG unless --format says)",
       [&o](const std::string& v) { o.output = v; }},
      {'\0', "format", "FMT", "png, bmp, svg, eps or pdf, whatever the output name says",
       [&o](const std::string& v) { o.format = encodeFormat(v); }},
      {'f', "file", "FILE", "encode the bytes of FILE ('-' = standard input)",
       [&o](const std::string& v) { o.inputFile = v; }},
      {'l', "level", "N", "error-correction level 0 to 8, or auto (default auto)",
       [&o](const std::string& v) { o.level = parseLevel("--level", v); }},
      {'r', "rows", "N", "rows 3 to 90; 0 derives them from the columns (default 0)",
       [&o](const std::string& v) { o.rows = parseInt("--rows", v, 0, 90); }},
      {'c', "columns", "N", "data columns 1 to 30; 0 derives them from the rows (default 0)",
       [&o](const std::string& v) { o.columns = parseInt("--columns", v, 0, 30); }},
      {'a', "aspect", "H:W", "target height:width when rows and columns are both 0\n(default 1:2)",
       [&o](const std::string& v) { o.aspect = v; }},
      {'w', "module-width", "N", "module width in pixels 1 to 20 (default 1)",
       [&o](const std::string& v) {
         o.moduleWidth = parseInt("--module-width", v, 1, 20);
         o.moduleWidthGiven = true;
       }},
      {'y', "row-height", "H[:W]", "row height : module width, each 1 to 25 (default 3)",
       [&o](const std::string& v) {
         o.rowHeight = v;
         o.rowHeightGiven = true;
       }},
      {'\0', "quiet-zone", "N", "white margin in modules around the symbol (default 2)",
       [&o](const std::string& v) {
         o.quietModules = parseInt("--quiet-zone", v, 0, 100);
         o.quietZoneGiven = true;
       }},
      {'\0', "dpi", "N", "resolution written into PNG and BMP; SVG, EPS and PDF get\ntheir size in mm",
       [&o](const std::string& v) { o.dpi = parseInt("--dpi", v, 1, 9600); }},
      {'\0', "eci", "CHANNEL",
       "name the data's character set before it: utf8 (channel 26)\n"
       "makes readers return UTF-8 text; none encodes the bytes alone;\n"
       "or a number 0 to 811799",
       [&o](const std::string& v) {
         o.eci = parseEci(v);
         o.eciGiven = true;
       }},
      {'\0', "micro", "",
       "MicroPDF417 (ISO/IEC 24728) instead of PDF417: 1 to 4 --columns,\n"
       "--rows one of that width's sizes (1 column: 11-28, 2: 8-26,\n"
       "3: 6-44, 4: 4-44), error correction fixed by the size; by\n"
       "default the smallest symbol that holds the data",
       setTo(o.micro, true)},
      {'\0', "compaction", "MODE",
       "rules (default): the segments the plug-in's symbols are made\n"
       "of; fewest: the fewest data codewords of all encodings (an exact\n"
       "search), which may make the symbol smaller",
       [&o](const std::string& v) { o.fewestCodewords = parseCompaction(v); }},
      {'\0', "no-file-header", "", "BMP without the 14-byte file header (and without quiet zone)",
       setTo(o.fileHeader, false)},
      {'\0', "fit", "WxH",
       "the widest whole-dot module (with rows, columns, row height\n"
       "and level) whose symbol and quiet zone fit a box of W x H mm\n"
       "(or inches: 2.3x1in) at --dpi; never below --level or the\n"
       "recommended level for the data",
       [&o](const std::string& v) { o.fit = parseFitBox(v); }},
      {'\0', "fg", "COLOUR", "colour of the bars: #RRGGBB, #RGB or a name (default black)",
       [&o](const std::string& v) { o.bars = parseColour("--fg", v); }},
      {'\0', "bg", "COLOUR",
       "colour of the space and quiet zone (default white); colours\n"
       "scanners cannot tell apart are refused",
       [&o](const std::string& v) { o.space = parseColour("--bg", v); }},
      {'\0', "rotate", "DEG", "turn the picture 0, 90, 180 or 270 degrees clockwise",
       [&o](const std::string& v) {
         o.rotate = parseInt("--rotate", v, 0, 270);
         if (o.rotate % 90 != 0) throw UsageError("--rotate is 0, 90, 180 or 270, not '" + v + "'");
       }},
      {'\0', "verify", "",
       "read the picture back with zxing-cpp (in a separate process)\n"
       "and fail unless it returns the data; SVG, EPS and PDF are\n"
       "not read (exit status 3)",
       setTo(o.verify, true)},
      {'\0', "batch", "",
       "one item per line of --file or standard input, one picture\n"
       "each, named from -o with %d as the line number (-o label-%05d.png)",
       setTo(o.batch, true)},
      {'0', "", "", "with --batch: items end with a NUL character, not a line end", setTo(o.nulSeparated, true)},
      {'j', "jobs", "N",
       "with --batch: pictures made at once; 0 for one per processor\n(default 0); the files and the report are the "
       "same for any N",
       [&o](const std::string& v) { o.jobs = parseInt("--jobs", v, 0, 256); }},
      {'v', "verbose", "", "print rows, columns, level and size (pixels, and mm with --dpi)", setTo(o.verbose, true)},
      {'\0', "compact", "",
       "compact PDF417: no right row indicator and a one-module\nstop bar, 34 modules narrower (where the symbol is "
       "unlikely\nto be damaged)",
       setTo(o.compact, true)},
      {'\0', "reader-init", "", "Reader Initialisation: the symbol programs the reader", setTo(o.readerInit, true)},
      {'\0', "macro", "",
       "Macro PDF417: split the data over the fewest symbols of the\n"
       "shape asked for (rows, columns, level), filled evenly; one\n"
       "picture per symbol, -o with %d for its number from 1\n"
       "(-o part-%02d.png); with --micro, MicroPDF417 symbols of\n"
       "--columns (default 4) and --rows (default: the most of that\n"
       "width for the split, as few as each symbol takes)",
       setTo(o.macro, true)},
      {'\0', "macro-id", "DIGITS",
       "the set's file ID: groups of three digits 000 to 899\n(default: derived from the data; implies --macro)",
       macroField([&o](const std::string& v) { o.macroId = v; })},
      {'\0', "macro-name", "TEXT",
       "file name field of every symbol (implies --macro);\nwith --micro printable ASCII, tab, CR and LF only",
       macroField([&o](const std::string& v) { o.macroName = v; })},
      {'\0', "macro-sender", "TEXT", "sender field (implies --macro; PDF417 sets only)",
       macroField([&o](const std::string& v) { o.macroSender = v; })},
      {'\0', "macro-addressee", "TEXT", "addressee field (implies --macro; PDF417 sets only)",
       macroField([&o](const std::string& v) { o.macroAddressee = v; })},
      {'\0', "macro-time", "SECONDS",
       "time stamp field: seconds since 1970-01-01 UTC\n(implies --macro; PDF417 sets only)",
       macroField([&o](const std::string& v) { o.macroTime = parseTimeStamp(v); })},
      {'\0', "macro-size", "", "file size field: the data's size in bytes (implies\n--macro; PDF417 sets only)",
       macroField(setTo(o.macroSize, true))},
      {'\0', "macro-checksum", "", "checksum field: the data's CRC-16 (implies --macro;\nPDF417 sets only)",
       macroField(setTo(o.macroChecksum, true))},
      {'q', "quiet", "", "say nothing but errors", setTo(o.quiet, true)},
      {'h', "help", "", "this text", setTo(o.help, true)},
      {'\0', "version", "", "the release this command belongs to", setTo(o.version, true)},
  };
  command.afterOptions =
      "-- ends the options: the argument after it is TEXT, even if it begins with '-'.\n"
      "Short options take their value attached too: -j1, -w4." +
      std::string(kBatchFilePercentNote);
  command.examples = {
      "pdf417-encode -w 2 --dpi 300 -o ticket.png --file ticket.bin",
      "pdf417-encode -w 4 --dpi 203 -o label.png " + shellWord("Order 4711"),
      "pdf417-encode --micro --columns 2 -w 3 -o small.png " + shellWord("LOT 20261209"),
      "pdf417-encode -o label.svg " + shellWord("Stra\xC3\x9F"
                                                "e 5, \xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"),
      "pdf417-encode --fit 58x26 --dpi 203 --verify -v -o label.png " + shellWord("Order 4711"),
      "pdf417-encode --fit 58x26 --dpi 300 --rotate 90 --fg navy -o label.pdf " + shellWord("Order 4711"),
      "pdf417-encode --batch -w 4 --dpi 203 -o label-%05d.png --file orders.txt",
      "pdf417-encode --macro -c 13 -r 35 -l 4 --macro-name statement.xml.gz -o tax-%02d.png -f statement.xml.gz",
      "pdf417-encode --micro --macro -c 2 --macro-id 017042 -o part-%02d.png -f serials.txt"};
  command.exitStatus =
      "0 written; 1 the data is empty, does not fit or cannot be read or written,\n"
      "--verify did not read the data back, or (with --batch) any item failed, an\n"
      "empty one included; 2 a bad command line; 3 written, but --verify cannot read\n"
      "the format back.";
  return command;
}

std::string encodeUsageText() {
  EncodeOptions unused;
  return helpText(encodeCommand(unused));
}

EncodeOptions parseEncodeOptions(const std::vector<std::string>& arguments) {
  EncodeOptions o;
  const std::optional<std::string> text = parseCommandLine(encodeCommand(o), arguments);
  if (text) o.text = text;
  if (o.help || o.version) return o;
  if (o.format.empty() && !o.output.empty()) o.format = encodeFormatFromName(o.output);
  checkCombination(o, o.quietZoneGiven);
  checkMicro(o);
  checkMacroCombination(o);
  o.sized = o.rows != 0 || o.columns != 0;
  checkPrintOptions(o);
  if (!o.fileHeader) o.quietModules = 0;
  return o;
}

}  // namespace torv::tools
