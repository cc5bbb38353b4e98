#include "encode_options.h"

#include <cerrno>
#include <cstdlib>

namespace torv::tools {
namespace {

constexpr int kUtf8Channel = 26;

int parseEci(const std::string& text) {
  const std::string name = lowerCase(text);
  if (name == "utf8" || name == "utf-8") return kUtf8Channel;
  if (name == "none") return -1;
  if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos)
    return parseInt("--eci", name, 0, 899);
  throw UsageError("--eci is utf8, none or a channel number from 0 to 899, not '" + text + "'");
}

void checkCombination(const EncodeOptions& o, bool quietGiven) {
  if (o.output.empty()) throw UsageError("no output file given (-o FILE, or -o - for standard output)");
  if (o.rows != 0 && o.rows < 3) throw UsageError("--rows must be 0 (derived) or 3 to 90");
  if (o.rows * o.columns > 928) {
    throw UsageError("--rows times --columns must be at most 928 (" + std::to_string(o.rows) + " x " +
                     std::to_string(o.columns) + " = " + std::to_string(o.rows * o.columns) + ")");
  }
  if (o.text && o.inputFile) throw UsageError("give the data either as TEXT or with --file, not both");
  if (!o.fileHeader && o.format != "bmp") throw UsageError("--no-file-header applies to BMP output only");
  // Without its file header the picture is the encoder's own bitmap, which has no margin.
  if (!o.fileHeader && quietGiven && o.quietModules != 0) {
    throw UsageError("--no-file-header writes the bare bitmap, which has no quiet zone; drop --quiet");
  }
}

}  // namespace

const char* encodeUsageText() {
  return "usage: pdf417-encode [options] -o OUTPUT [TEXT]\n"
         "Encodes TEXT, the bytes of a file or standard input as a PDF417 symbol with the encoder\n"
         "itself, byte for byte: for arbitrary or binary data, and for text beyond Windows-1252\n"
         "with --eci utf8. (To see what a report host draws through the plug-in, use pdf417.)\n"
         "\n"
         "  -o, --output FILE       picture to write, .png, .bmp or .svg (required); '-' writes\n"
         "                          to standard output (PNG unless --format says)\n"
         "      --format FMT        png, bmp or svg, whatever the output name says\n"
         "  -f, --file FILE         encode the bytes of FILE ('-' = standard input)\n"
         "  -l, --level N           error-correction level 0 to 8, or auto (default auto)\n"
         "  -r, --rows N            rows 3 to 90; 0 derives them from the columns (default 0)\n"
         "  -c, --columns N         data columns 1 to 30; 0 derives them from the rows (default 0)\n"
         "  -a, --aspect H:W        target height:width when rows and columns are both 0\n"
         "                          (default 1:2)\n"
         "  -w, --module-width N    module width in pixels 1 to 20 (default 1)\n"
         "  -y, --row-height H[:W]  row height : module width, each 1 to 25 (default 3)\n"
         "      --quiet N           white margin in modules around the symbol (default 2)\n"
         "      --dpi N             resolution written into PNG and BMP; SVG gets its size in mm\n"
         "      --eci CHANNEL       name the data's character set before it: utf8 (channel 26)\n"
         "                          makes readers return UTF-8 text; or a number 0 to 899\n"
         "      --no-file-header    BMP without the 14-byte file header (and without quiet zone)\n"
         "  -v, --verbose           print rows, columns, level and size\n"
         "  -h, --help              this text\n"
         "      --version           the release this command belongs to\n"
         "  --                      ends the options; the next argument is TEXT\n"
         "\n"
         "With neither TEXT nor --file, the data is read from standard input.\n"
         "\n"
         "Examples:\n"
         "  pdf417-encode -w 2 --dpi 300 -o ticket.png --file ticket.bin\n"
         "  pdf417-encode --eci utf8 -o label.svg 'Stra\xC3\x9F"
         "e 5, \xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0'\n"
         "Exit status: 0 written; 1 the data does not fit or cannot be read or written;\n"
         "2 a bad command line.\n";
}

EncodeOptions parseEncodeOptions(const std::vector<std::string>& arguments) {
  EncodeOptions o;
  bool formatGiven = false, quietGiven = false;
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
    } else if (argument == "-v" || argument == "--verbose") {
      o.verbose = true;
    } else if (argument == "--no-file-header") {
      o.fileHeader = false;
    } else if (argument == "-o" || argument == "--output") {
      o.output = value();
    } else if (argument == "--format") {
      o.format = parseFormat(value());
      formatGiven = true;
    } else if (argument == "-f" || argument == "--file") {
      o.inputFile = value();
    } else if (argument == "-a" || argument == "--aspect") {
      o.aspect = value();
    } else if (argument == "-y" || argument == "--row-height") {
      o.rowHeight = value();
    } else if (argument == "-l" || argument == "--level") {
      o.level = parseLevel(argument, value());
    } else if (argument == "-r" || argument == "--rows") {
      o.rows = parseInt(argument, value(), 0, 90);
    } else if (argument == "-c" || argument == "--columns") {
      o.columns = parseInt(argument, value(), 0, 30);
    } else if (argument == "-w" || argument == "--module-width") {
      o.moduleWidth = parseInt(argument, value(), 1, 20);
    } else if (argument == "--quiet") {
      o.quietModules = parseInt(argument, value(), 0, 100);
      quietGiven = true;
    } else if (argument == "--dpi") {
      o.dpi = parseInt(argument, value(), 1, 9600);
    } else if (argument == "--eci") {
      o.eci = parseEci(value());
    } else if (argument == "--") {
      if (i + 2 != arguments.size()) throw UsageError("-- is followed by exactly one TEXT");
      if (o.text) throw UsageError("only one TEXT may be given; quote it if it has spaces");
      o.text = arguments[++i];
    } else if (argument.size() > 1 && argument[0] == '-') {
      throw UsageError("unknown option " + argument);
    } else if (o.text) {
      throw UsageError("only one TEXT may be given; quote it if it has spaces");
    } else {
      o.text = argument;
    }
  }
  if (o.help || o.version) return o;
  if (!formatGiven && !o.output.empty()) o.format = formatFromName(o.output);
  checkCombination(o, quietGiven);
  o.sized = o.rows != 0 || o.columns != 0;
  if (!o.fileHeader) o.quietModules = 0;
  return o;
}

}  // namespace torv::tools
