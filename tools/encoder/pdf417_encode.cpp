// SPDX-License-Identifier: Apache-2.0
// pdf417-encode: encodes a text, a file or standard input with the encoder itself and writes the
// symbol as a PNG, BMP, SVG, EPS or PDF picture (or the encoder's bare BMP bitmap), fitted to a
// label's box, in colours and turned when asked, and read back with --verify.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch.h"
#include "batch_runner.h"
#include "command_line.h"
#include "command_system.h"
#include "encode_options.h"
#include "fit_box.h"
#include "micro_encode.h"
#include "output_file.h"
#include "pdf417/bitmap_writer.h"
#include "pdf417/encoder.h"
#include "pdf417/macro.h"
#include "picture_file.h"
#include "symbol_modules.h"
#include "torv_version.h"
#include "verify_picture.h"

namespace {

using namespace torv::pdf417;
using namespace torv::tools;

// More than any symbol holds; larger inputs are refused before they are read whole.
constexpr std::size_t kMaxInputBytes = 64 * 1024;
// A Macro PDF417 set holds up to 99,999 symbols; this much is read at most.
constexpr std::size_t kMaxMacroInputBytes = 64 * 1024 * 1024;

class EncodeFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

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

// A whole file ("-" = standard input) up to the input limit.
std::string readInput(const EncodeOptions& o) {
  if (o.text) return *o.text;
  const std::string path = o.inputFile.value_or("-");
  if (path == "-") useBinaryMode(stdin);
  FILE* in = path == "-" ? stdin : openFile(path, "rb");
  if (in == nullptr) throw EncodeFailure("cannot open " + path + ": " + std::strerror(errno));
  const std::unique_ptr<FILE, int (*)(FILE*)> closer(in == stdin ? nullptr : in, std::fclose);
  std::string data;
  char chunk[4096];
  const std::size_t limit = o.macro ? kMaxMacroInputBytes : kMaxInputBytes;
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) {
    if (data.size() + got > limit) {
      throw EncodeFailure(
          std::string(o.macro ? "the data is too large for a Macro PDF417 set" : "the data does not fit the symbol") +
          " (more than " + std::to_string(limit) + " bytes)");
    }
    data.append(chunk, got);
  }
  if (std::ferror(in) != 0) throw EncodeFailure("cannot read " + path);
  return data;
}

// Well-formed UTF-8: shortest forms, no surrogates, nothing above U+10FFFF. A reader told the data
// is UTF-8 would make nonsense of anything else.
bool isUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || i + length > text.size()) return false;
    std::uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3Fu);
    }
    static const std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

// The text in ISO-8859-1, which readers assume when no ECI says otherwise; nothing when a
// character is beyond it. The text is well-formed UTF-8.
std::optional<std::string> latin1Of(const std::string& utf8) {
  std::string latin1;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      latin1 += static_cast<char>(lead);
    } else if (lead == 0xC2 || lead == 0xC3) {
      latin1 += static_cast<char>((lead & 0x03) << 6 | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      return std::nullopt;
    }
  }
  return latin1;
}

// The fit's choice of module, row height, arrangement and level, for the encoder.
void configureFit(Encoder& encoder, const FitChoice& fit, int eci, const EncodeOptions& o) {
  if (o.fewestCodewords) encoder.setCompaction(Compaction::Fewest);
  encoder.setEccLevel(fit.level);
  encoder.setSizingMode(SIZING_FIXED);
  encoder.setRowsColumns(fit.rows, fit.columns);
  const std::string ratio = std::to_string(fit.rowHeightNum) + ":" + std::to_string(fit.rowHeightDen);
  encoder.setRowHeightRatio(ratio.c_str());
  encoder.setBitmapWriter(fit.moduleDots, o.fileHeader);
  encoder.setEci(eci);
}

void configure(Encoder& encoder, const EncodeOptions& o, int eci) {
  if (o.level >= 0) encoder.setEccLevel(o.level);
  if (o.sized) {
    encoder.setSizingMode(SIZING_FIXED);
    if (!encoder.setRowsColumns(o.rows, o.columns)) throw UsageError("rows and columns are not a valid arrangement");
  } else if (!encoder.setAspectRatio(o.aspect.c_str())) {
    throw UsageError("aspect '" + o.aspect + "' is not H:W with a ratio of 0.01..10");
  }
  if (!encoder.setRowHeightRatio(o.rowHeight.c_str())) {
    throw UsageError("row height '" + o.rowHeight + "' is not H or H:W with each side 1..25");
  }
  encoder.setBitmapWriter(o.moduleWidth, o.fileHeader);
  encoder.setEci(eci);
  if (o.fewestCodewords) encoder.setCompaction(Compaction::Fewest);
  encoder.setCompact(o.compact);
  encoder.setReaderInit(o.readerInit);
}

// Modules and rows as large as the encoder's own bitmap draws them.
DeviceLayout layoutOf(const ModuleMatrix& matrix, const Symbol& symbol, const EncodeOptions& o) {
  const BitmapGeometry pixels = bitmapGeometry(symbol, static_cast<unsigned>(o.moduleWidth));
  const int moduleWidth = static_cast<int>(pixels.moduleWidthPx);
  return gridLayout(matrix, moduleWidth, static_cast<int>(pixels.rowHeightPx), o.quietModules);
}

// The data codewords of the message, length descriptor included, or an EncodeFailure when even
// the largest symbol cannot hold it.
int dataCodewords(const std::string& data, int eci, bool fewest) {
  Encoder counter;
  if (fewest) counter.setCompaction(Compaction::Fewest);
  counter.setEccLevel(0);
  counter.setEci(eci);
  const int rc = counter.encode(data.data(), static_cast<std::uint32_t>(data.size()));
  if (rc < 0 || counter.message() == nullptr) throw EncodeFailure(describe(rc < 0 ? rc : PDF417_ERR_TOO_LONG));
  return counter.message()->count;
}

// The fit of the symbol to the box of --fit (turned with the picture), or an EncodeFailure that
// says what would fit.
FitChoice fitToBox(const EncodeOptions& o, const std::string& data, int eci, FitRequest& request) {
  request.box = *o.fit;
  if (o.rotate == 90 || o.rotate == 270) std::swap(request.box.widthMm, request.box.heightMm);
  request.dpi = o.dpi;
  request.dataCodewords = dataCodewords(data, eci, o.fewestCodewords);
  request.askedLevel = o.level;
  request.quietModules = o.quietModules;
  if (o.rowHeightGiven) {
    Encoder probe;
    if (!probe.setRowHeightRatio(o.rowHeight.c_str())) {
      throw UsageError("row height '" + o.rowHeight + "' is not H or H:W with each side 1..25");
    }
    request.rowHeightNum = probe.options().rowHeightNum;
    request.rowHeightDen = probe.options().rowHeightDen;
  }
  std::string refusal;
  const std::optional<FitChoice> choice = fitSymbol(request, refusal);
  if (!choice) throw EncodeFailure(refusal);
  return *choice;
}

// Writes the picture of the encoded symbol to `output`; returns its size in pixels.
std::pair<long long, long long> writeOutput(Encoder& encoder, const EncodeOptions& o, const std::string& output) {
  // The bare bitmap is the encoder's own, made whole in memory; every other picture is drawn from
  // the module rows a pixel row at a time, after a size query has laid the symbol out.
  std::vector<std::uint8_t> image;
  std::int32_t size = 0;
  const int rc = o.fileHeader ? encoder.write(nullptr, &size) : encoder.writeImage(image);
  if (rc != 0) throw EncodeFailure(describe(rc));
  std::pair<long long, long long> pixels;
  OutputFile file(output);
  try {
    if (!o.fileHeader) {
      const BitmapGeometry geometry = bitmapGeometry(encoder.symbol(), static_cast<unsigned>(o.moduleWidth));
      pixels = {geometry.width, geometry.height};
      std::fwrite(image.data(), 1, image.size(), file.get());
    } else {
      const ModuleMatrix matrix = modulesOf(encoder.symbol());
      const DeviceLayout layout = layoutOf(matrix, encoder.symbol(), o);
      const TurnedSymbol turnedSymbol = turned(matrix, layout, o.rotate);
      pixels = {turnedSymbol.layout.width(), turnedSymbol.layout.height()};
      writePicture(Picture{turnedSymbol.matrix, turnedSymbol.layout, o.dpi, o.dpi > 0, o.bars, o.space}, o.format,
                   file.get(), output);
    }
    file.close();
  } catch (...) {
    file.discard();
    throw;
  }
  return pixels;
}

// Pictures that zxing-cpp reads back for --verify.
// Why --verify cannot read back what the options make, or nothing when it can: zxing-cpp reads
// PDF417 in PNG and BMP pictures, not MicroPDF417 and not vector formats.
std::string unverifiable(const EncodeOptions& o) {
  if (o.micro) return "zxing-cpp does not read MicroPDF417";
  if (o.format != "png" && o.format != "bmp") return "zxing-cpp reads PNG and BMP pictures, not " + o.format;
  return {};
}

// The extended channel of the data: typed text (a TEXT argument or an item of a batch) beyond
// ISO-8859-1 goes as UTF-8 after ECI 26, so that a reader returns it as typed; bytes stay bytes.
int eciFor(const std::string& data, bool typed, const EncodeOptions& o) {
  if (o.eci == 26 && !isUtf8(data)) throw EncodeFailure("--eci utf8 needs UTF-8 data; these bytes are not");
  if (typed && !o.eciGiven && isUtf8(data) && !latin1Of(data)) return 26;
  return o.eci;
}

// The bytes that encode the data: typed text in ISO-8859-1 where every character is in it, else as
// it is (with a note, in `notes`, when it goes as UTF-8).
std::string typedBytes(const std::string& data, bool typed, const EncodeOptions& o, std::string& notes) {
  if (!typed || o.eciGiven || !isUtf8(data)) return data;
  if (std::optional<std::string> latin1 = latin1Of(data)) return *latin1;
  notes =
      "note: the text has characters beyond ISO-8859-1, so it is encoded as UTF-8 after ECI 26 (--eci none "
      "encodes the bytes alone)\n";
  return data;
}

// What one encoding came to: the notes on the way, and what -v says.
struct Encoded {
  std::string notes;   // lines, each ending in a line end
  std::string report;  // one line without its end
};

// Encodes the data into `output`. Typed text (a TEXT argument or an item of a batch) is encoded so
// that a reader returns it as typed; bytes stay bytes.
Encoded encodeInto(Encoder& encoder, std::string data, bool typed, const EncodeOptions& o, const std::string& output) {
  Encoded encoded;
  const int eci = eciFor(data, typed, o);
  data = typedBytes(data, typed, o, encoded.notes);
  if (o.micro) {
    encoded.report = writeMicroSymbol(data, eci, o, output);
  } else {
    encoder.reset();
    FitRequest request;
    std::optional<FitChoice> fit;
    if (o.fit) {
      fit = fitToBox(o, data, eci, request);
      configureFit(encoder, *fit, eci, o);
    } else {
      configure(encoder, o, eci);
    }
    const int rc = encoder.encode(data.data(), static_cast<std::uint32_t>(data.size()));
    if (rc < 0) throw EncodeFailure(describe(rc));
    EncodeOptions drawn = o;
    if (fit) drawn.moduleWidth = fit->moduleDots;
    const std::pair<long long, long long> pixels = writeOutput(encoder, drawn, output);
    const Symbol& l = encoder.symbol();
    if (fit && (l.rows != fit->rows || l.columns != fit->columns)) {
      throw EncodeFailure("the encoder did not keep the fitted arrangement");
    }
    std::string size = std::to_string(pixels.first) + " x " + std::to_string(pixels.second) + " pixels";
    if (o.dpi > 0) {
      char mm[64];
      std::snprintf(mm, sizeof mm, " = %.2f x %.2f mm at %d dpi", pixels.first * 25.4 / o.dpi,
                    pixels.second * 25.4 / o.dpi, o.dpi);
      size += mm;
    }
    if (fit) encoded.report = describeFit(request, *fit);
    encoded.report += counted(static_cast<long>(data.size()), "byte") + ": " + counted(l.rows, "row") + " x " +
                      counted(l.columns, "column") + ", level " + std::to_string(l.eccLevel) + ", " +
                      counted(l.dataCount, "data codeword") + ", " + counted(l.padCount, "pad") + "; " + size + "; " +
                      output + " (" + o.format + ")";
  }
  // The bytes the symbol holds, after the text was made ISO-8859-1 where it could be.
  if (o.verify && unverifiable(o).empty()) {
    const std::string fault = verifyPicture(output, data);
    if (!fault.empty()) throw EncodeFailure("verify failed: " + fault);
    encoded.report += "\nverified: " + output + " reads back as the data";
  }
  return encoded;
}

// The fields of a Macro PDF417 set from the options.
MacroFile macroFileOf(const EncodeOptions& o) {
  MacroFile file;
  if (!o.macroId.empty()) file.fileId = *macroFileIdFromDigits(o.macroId);
  file.fileName = o.macroName;
  file.sender = o.macroSender;
  file.addressee = o.macroAddressee;
  if (o.macroTime) file.timeStamp = static_cast<std::uint64_t>(*o.macroTime);
  file.fileSize = o.macroSize;
  file.checksum = o.macroChecksum;
  return file;
}

// A Macro PDF417 set: one picture per symbol, numbered from 1.
void writeMacroSet(Encoder& encoder, const EncodeOptions& o, const std::string& data) {
  MacroSet set;
  const int rc = set.split(encoder, data.data(), static_cast<std::uint32_t>(data.size()), macroFileOf(o));
  if (rc != 0) {
    throw EncodeFailure(rc == PDF417_ERR_TOO_LONG
                            ? "the Macro PDF417 fields leave no room for data in this symbol size, "
                              "or the set would need more than 99999 symbols"
                            : describe(rc));
  }
  for (std::size_t i = 0; i < set.size(); ++i) {
    const int encoded = set.encode(encoder, i);
    if (encoded < 0) throw EncodeFailure(describe(encoded));
    writeOutput(encoder, o, itemFileName(o.output, static_cast<long>(i + 1)));
  }
  if (o.verbose && !o.quiet) {
    const Symbol& l = encoder.symbol();
    writeText(stdout, std::to_string(data.size()) + " bytes: Macro PDF417 set of " + std::to_string(set.size()) +
                          " symbols, the last " + std::to_string(l.rows) + " rows x " + std::to_string(l.columns) +
                          " columns, level " + std::to_string(l.eccLevel) + "; " + itemFileName(o.output, 1) +
                          (set.size() > 1 ? " to " + itemFileName(o.output, static_cast<long>(set.size())) : "") +
                          " (" + o.format + ")\n");
  }
}

int run(const EncodeOptions& o) {
  const std::string data = readInput(o);
  // A symbol of no data is one that no reader returns anything for.
  if (data.empty()) {
    throw EncodeFailure(o.text                               ? "the text is empty: there is nothing to encode"
                        : o.inputFile && *o.inputFile != "-" ? "the file " + *o.inputFile + " is empty"
                                                             : "standard input is empty: there is nothing to encode");
  }
  Encoder encoder;
  if (o.macro) {
    std::string notes;
    const std::string bytes = typedBytes(data, o.text.has_value(), o, notes);
    if (!o.quiet && !notes.empty()) writeText(stderr, "pdf417-encode: " + notes);
    const int eci = eciFor(data, o.text.has_value(), o);
    if (o.micro) {
      const std::string report = writeMicroMacroSet(bytes, eci, o);
      if (o.verbose && !o.quiet) writeText(stdout, report + "\n");
      return 0;
    }
    configure(encoder, o, eci);
    writeMacroSet(encoder, o, bytes);
    return 0;
  }
  const Encoded encoded = encodeInto(encoder, data, o.text.has_value(), o, o.output);
  if (!o.quiet) {
    if (!encoded.notes.empty()) writeText(stderr, "pdf417-encode: " + encoded.notes);
    // The picture may be on standard output; the report then goes to standard error.
    if (o.verbose) writeText(o.output == "-" ? stderr : stdout, encoded.report + "\n");
  }
  if (o.verify && !unverifiable(o).empty()) {
    // Said even with -q: the check that was asked for did not happen.
    writeText(stderr, "pdf417-encode: not verified: " + unverifiable(o) + "; " + o.output + " was written unchecked\n");
    return 3;
  }
  return 0;
}

// One picture per item, on --jobs threads, reported in item order (the pdf417 command's runner).
int runBatch(const EncodeOptions& o) {
  if (o.verify && !unverifiable(o).empty()) {
    throw UsageError("--verify cannot check this batch: " + unverifiable(o));
  }
  BatchSetup setup;
  setup.command = "pdf417-encode";
  setup.dataFile = o.inputFile.value_or("-");
  setup.nulSeparated = o.nulSeparated;
  setup.jobs = o.jobs;
  setup.quiet = o.quiet;
  setup.maxItemBytes = kMaxInputBytes;
  return runBatch(setup, [&o] {
    return [&o, encoder = std::make_unique<Encoder>()](const std::string& item, long number) {
      ItemResult result;
      const Encoded encoded = encodeInto(*encoder, item, true, o, itemFileName(o.output, number));
      result.written = true;
      result.warnings = encoded.notes;
      if (o.verbose) result.report = encoded.report;
      return result;
    };
  });
}

}  // namespace

int main(int argc, char** argv) {
  EncodeOptions options;
  try {
    options = parseEncodeOptions(commandArguments(argc, argv));
    if (options.help) {
      writeText(stdout, encodeUsageText());
      return 0;
    }
    if (options.version) {
      writeText(stdout, "pdf417-encode " TORV_VERSION "\n");
      return 0;
    }
    return options.batch ? runBatch(options) : run(options);
  } catch (const UsageError& e) {
    writeText(stderr, std::string("pdf417-encode: ") + e.what() + "\ntry 'pdf417-encode --help'\n");
    return 2;
  } catch (const std::exception& e) {
    writeText(stderr, std::string("pdf417-encode: ") + e.what() + "\n");
    return 1;
  }
}
