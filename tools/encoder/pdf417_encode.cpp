// SPDX-License-Identifier: Apache-2.0
// pdf417-encode: encodes a text, a file or standard input with the encoder itself and writes the
// symbol as a PNG, BMP or SVG picture (or the encoder's bare BMP bitmap).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "command_line.h"
#include "command_system.h"
#include "encode_options.h"
#include "numbered_names.h"
#include "output_file.h"
#include "pdf417/bitmap_writer.h"
#include "pdf417/encoder.h"
#include "pdf417/macro.h"
#include "picture_file.h"
#include "torv_version.h"

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
  encoder.setCompact(o.compact);
  encoder.setReaderInit(o.readerInit);
}

// The symbol's modules, read from its module rows.
ModuleMatrix modulesOf(const Symbol& symbol) {
  ModuleMatrix matrix;
  matrix.rows = symbol.rows;
  matrix.columns = static_cast<int>(symbol.moduleRow(0).widthModules());
  matrix.dark.reserve(static_cast<std::size_t>(matrix.columns) * matrix.rows);
  for (unsigned r = 0; r < symbol.rows; ++r) {
    symbol.moduleRow(r).forEachPiece([&](ModulePiece piece) {
      for (unsigned bit = piece.count; bit-- > 0;) matrix.dark.push_back((piece.bits >> bit) & 1u);
    });
  }
  return matrix;
}

// Modules and rows as large as the encoder's own bitmap draws them.
DeviceLayout layoutOf(const ModuleMatrix& matrix, const Symbol& symbol, const EncodeOptions& o) {
  const BitmapGeometry pixels = bitmapGeometry(symbol, static_cast<unsigned>(o.moduleWidth));
  const int moduleWidth = static_cast<int>(pixels.moduleWidthPx);
  const int rowHeight = static_cast<int>(pixels.rowHeightPx);
  DeviceLayout layout;
  for (int c = 0; c <= matrix.columns; ++c) layout.columnStarts.push_back(c * moduleWidth);
  for (int r = 0; r <= matrix.rows; ++r) layout.rowStarts.push_back(r * rowHeight);
  layout.quiet = o.quietModules * moduleWidth;
  return layout;
}

void writeOutput(Encoder& encoder, const EncodeOptions& o, const std::string& path) {
  // The bare bitmap is the encoder's own, made whole in memory; every other picture is drawn from
  // the module rows a pixel row at a time, after a size query has laid the symbol out.
  std::vector<std::uint8_t> image;
  std::int32_t size = 0;
  const int rc = o.fileHeader ? encoder.write(nullptr, &size) : encoder.writeImage(image);
  if (rc != 0) throw EncodeFailure(describe(rc));
  OutputFile file(path);
  try {
    if (!o.fileHeader) {
      std::fwrite(image.data(), 1, image.size(), file.get());
    } else {
      const ModuleMatrix matrix = modulesOf(encoder.symbol());
      const DeviceLayout layout = layoutOf(matrix, encoder.symbol(), o);
      writePicture(Picture{matrix, layout, o.dpi, o.dpi > 0}, o.format, file.get(), path);
    }
    file.close();
  } catch (...) {
    file.discard();
    throw;
  }
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
    writeOutput(encoder, o, numberedName(o.output, static_cast<long>(i + 1)));
  }
  if (o.verbose && !o.quiet) {
    const Symbol& l = encoder.symbol();
    writeText(stdout, std::to_string(data.size()) + " bytes: Macro PDF417 set of " + std::to_string(set.size()) +
                          " symbols, the last " + std::to_string(l.rows) + " rows x " + std::to_string(l.columns) +
                          " columns, level " + std::to_string(l.eccLevel) + "; " + numberedName(o.output, 1) +
                          (set.size() > 1 ? " to " + numberedName(o.output, static_cast<long>(set.size())) : "") +
                          " (" + o.format + ")\n");
  }
}

int run(const EncodeOptions& o) {
  std::string data = readInput(o);
  // A symbol of no data is one that no reader returns anything for.
  if (data.empty()) {
    throw EncodeFailure(o.text                               ? "the text is empty: there is nothing to encode"
                        : o.inputFile && *o.inputFile != "-" ? "the file " + *o.inputFile + " is empty"
                                                             : "standard input is empty: there is nothing to encode");
  }
  if (o.eci == 26 && !isUtf8(data)) throw EncodeFailure("--eci utf8 needs UTF-8 data; these bytes are not");
  // TEXT is typed text: encoded so that a reader returns it as typed. Bytes stay bytes.
  int eci = o.eci;
  if (o.text && !o.eciGiven && isUtf8(data)) {
    if (std::optional<std::string> latin1 = latin1Of(data)) {
      data = *latin1;
    } else {
      eci = 26;
      if (!o.quiet) {
        writeText(stderr,
                  "pdf417-encode: note: the text has characters beyond ISO-8859-1, so it is encoded as UTF-8 "
                  "after ECI 26 (--eci none encodes the bytes alone)\n");
      }
    }
  }
  Encoder encoder;
  configure(encoder, o, eci);
  if (o.macro) {
    writeMacroSet(encoder, o, data);
    return 0;
  }
  const int rc = encoder.encode(data.data(), static_cast<std::uint32_t>(data.size()));
  if (rc < 0) throw EncodeFailure(describe(rc));
  writeOutput(encoder, o, o.output);
  if (o.verbose && !o.quiet) {
    const Symbol& l = encoder.symbol();
    // The picture may be on standard output; the report then goes to standard error.
    writeText(o.output == "-" ? stderr : stdout, std::to_string(data.size()) + " bytes: " + std::to_string(l.rows) +
                                                     " rows x " + std::to_string(l.columns) + " columns, level " +
                                                     std::to_string(l.eccLevel) + ", " + std::to_string(l.dataCount) +
                                                     " data codewords, " + std::to_string(l.padCount) + " pads; " +
                                                     o.output + " (" + o.format + ")\n");
  }
  return 0;
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
    return run(options);
  } catch (const UsageError& e) {
    writeText(stderr, std::string("pdf417-encode: ") + e.what() + "\ntry 'pdf417-encode --help'\n");
    return 2;
  } catch (const std::exception& e) {
    writeText(stderr, std::string("pdf417-encode: ") + e.what() + "\n");
    return 1;
  }
}
