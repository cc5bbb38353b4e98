// pdf417-encode: encodes a text, a file or standard input as a PDF417 symbol and writes
// the encoder's BMP image to a file.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "pdf417/encoder.h"

namespace {

using namespace torv::pdf417;

// More than any symbol holds; larger inputs are refused before they are read whole.
constexpr std::size_t kMaxInputBytes = 64 * 1024;

const char kUsage[] =
    "usage: pdf417-encode [options] -o OUTPUT.bmp [TEXT]\n"
    "Encodes TEXT, or the bytes of a file, or standard input, as a PDF417 symbol and writes\n"
    "it as a one-bit BMP image.\n"
    "\n"
    "  -o, --output FILE       BMP file to write (required)\n"
    "  -f, --file FILE         encode the bytes of FILE ('-' = standard input)\n"
    "  -l, --level N           error-correction level 0..8 (default: automatic)\n"
    "  -r, --rows N            rows 3..90, 0 = derive from the columns\n"
    "  -c, --columns N         data columns 1..30, 0 = derive from the rows\n"
    "  -a, --aspect H:W        target height:width when neither rows nor columns are given\n"
    "                          (default 1:2)\n"
    "  -w, --module-width N    module width in pixels 1..20 (default 1)\n"
    "  -y, --row-height H[:W]  row height : module width, each 1..25 (default 3)\n"
    "      --no-file-header    omit the 14-byte BMP file header\n"
    "  -v, --verbose           print rows, columns, level and size\n"
    "  -h, --help              show this help\n"
    "\n"
    "With neither TEXT nor --file, the data is read from standard input.\n";

int usageError(const std::string& message) {
  std::fprintf(stderr, "pdf417-encode: %s\n(see pdf417-encode --help)\n", message.c_str());
  return 2;
}

int failure(const std::string& message) {
  std::fprintf(stderr, "pdf417-encode: %s\n", message.c_str());
  return 1;
}

bool parseInt(const char* text, long low, long high, int& out) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < low || value > high) return false;
  out = static_cast<int>(value);
  return true;
}

std::string describe(int code) {
  switch (code) {
    case PDF417_ERR_NO_ARRANGEMENT:
      return "no arrangement of rows and columns holds the codewords";
    case PDF417_ERR_TOO_LONG:
      return "the data does not fit the symbol";
    case PDF417_ERR_NO_ROOM:
      return "the error correction leaves no room for data in this symbol size";
    case PDF417_ERR_WRITER:
      return "the bitmap does not fit the output buffer";
    default:
      return "encoder error " + std::to_string(code);
  }
}

// Reads a whole file ("-" = standard input) up to the input limit.
bool readInput(const std::string& path, std::vector<char>& data, std::string& error) {
  FILE* in = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (in == nullptr) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
    if (data.size() + got > kMaxInputBytes) {
      error = "the data does not fit the symbol (more than " + std::to_string(kMaxInputBytes) + " bytes)";
      if (in != stdin) std::fclose(in);
      return false;
    }
    data.insert(data.end(), chunk, chunk + got);
  }
  const bool failed = std::ferror(in) != 0;
  if (in != stdin) std::fclose(in);
  if (failed) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

struct Settings {
  std::string output;
  std::string inputFile;
  bool haveText = false;
  std::string text;
  int level = -1;
  int rows = 0;
  int columns = 0;
  bool sized = false;
  std::string aspect = "1:2";
  int moduleWidth = 1;
  std::string rowHeight = "3";
  bool fileHeader = true;
  bool verbose = false;
};

}  // namespace

int main(int argc, char** argv) {
  Settings s;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "-v" || arg == "--verbose") {
      s.verbose = true;
    } else if (arg == "--no-file-header") {
      s.fileHeader = false;
    } else if (arg == "-o" || arg == "--output" || arg == "-f" || arg == "--file" || arg == "-a" || arg == "--aspect" ||
               arg == "-y" || arg == "--row-height") {
      const char* v = value();
      if (v == nullptr) return usageError(arg + " needs a value");
      if (arg == "-o" || arg == "--output") s.output = v;
      if (arg == "-f" || arg == "--file") s.inputFile = v;
      if (arg == "-a" || arg == "--aspect") s.aspect = v;
      if (arg == "-y" || arg == "--row-height") s.rowHeight = v;
    } else if (arg == "-l" || arg == "--level") {
      if (!parseInt(value(), 0, 8, s.level)) return usageError("--level takes 0..8");
    } else if (arg == "-r" || arg == "--rows") {
      if (!parseInt(value(), 0, 90, s.rows)) return usageError("--rows takes 0 or 3..90");
      s.sized = true;
    } else if (arg == "-c" || arg == "--columns") {
      if (!parseInt(value(), 0, 30, s.columns)) return usageError("--columns takes 0..30");
      s.sized = true;
    } else if (arg == "-w" || arg == "--module-width") {
      if (!parseInt(value(), 1, 20, s.moduleWidth)) return usageError("--module-width takes 1..20");
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usageError("unknown option " + arg);
    } else if (!s.haveText) {
      s.haveText = true;
      s.text = arg;
    } else {
      return usageError("more than one text given");
    }
  }
  if (s.output.empty()) return usageError("no output file given (-o)");
  if (s.haveText && !s.inputFile.empty()) return usageError("give either a text or --file, not both");

  std::vector<char> data;
  if (s.haveText) {
    data.assign(s.text.begin(), s.text.end());
  } else {
    std::string error;
    if (!readInput(s.inputFile.empty() ? "-" : s.inputFile, data, error)) return failure(error);
  }

  Encoder encoder;
  if (s.level >= 0) encoder.setEccLevel(s.level);
  if (s.sized) {
    encoder.setSizingMode(SIZING_FIXED);
    if (!encoder.setRowsColumns(s.rows, s.columns)) {
      return usageError("rows " + std::to_string(s.rows) + " and columns " + std::to_string(s.columns) +
                        " are not a valid arrangement (rows 0 or 3..90, columns 0..30, not both 0, "
                        "at most 928 codewords)");
    }
  } else if (!encoder.setAspectRatio(s.aspect.c_str())) {
    return usageError("aspect '" + s.aspect + "' is not H:W with a ratio of 0.01..10");
  }
  if (!encoder.setRowHeightRatio(s.rowHeight.c_str())) {
    return usageError("row height '" + s.rowHeight + "' is not H or H:W with each side 1..25");
  }
  encoder.setBitmapWriter(s.moduleWidth, s.fileHeader);

  int rc = encoder.encode(data.data(), static_cast<std::uint32_t>(data.size()));
  if (rc < 0) return failure(describe(rc));
  std::vector<std::uint8_t> image;
  rc = encoder.writeImage(image);
  if (rc != 0) return failure(describe(rc));
  const auto written = static_cast<std::int32_t>(image.size());

  FILE* file = std::fopen(s.output.c_str(), "wb");
  if (file == nullptr) return failure("cannot create " + s.output + ": " + std::strerror(errno));
  const bool ok =
      std::fwrite(image.data(), 1, static_cast<std::size_t>(written), file) == static_cast<std::size_t>(written);
  if (std::fclose(file) != 0 || !ok) {
    std::remove(s.output.c_str());
    return failure("cannot write " + s.output);
  }
  if (s.verbose) {
    const Symbol& l = encoder.symbol();
    std::printf("%u bytes: %u rows x %u columns, level %u, %u data codewords, %u pads; %s (%d bytes)\n",
                static_cast<unsigned>(data.size()), l.rows, l.columns, l.eccLevel, l.dataCount, l.padCount,
                s.output.c_str(), written);
  }
  return 0;
}
