// SPDX-License-Identifier: Apache-2.0
// pdf417: draws a text as a PDF417 barcode with the torvc_pdf417 plug-in, called through its
// exported functions as a host calls them (built in, or loaded by path), and writes the picture
// the host's device would show as PNG, BMP or SVG.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "batch.h"
#include "batch_runner.h"
#include "capacity_advice.h"
#include "command_line.h"
#include "command_system.h"
#include "options.h"
#include "output_file.h"
#include "picture_check.h"
#include "picture_file.h"
#include "platform/code_page.h"
#include "plugin.h"
#include "symbol_drawing.h"
#include "text_input.h"
#include "torv_version.h"

namespace {

using namespace torv::tools;

constexpr double kSmallestXDimensionMm = 0.19;
constexpr long long kMaxPicturePixels = 1LL << 32;
// More than any symbol holds (2,710 digits); a longer batch item is refused unread.
constexpr std::size_t kMaxItemBytes = 64 * 1024;

// Characters of the text, a surrogate pair counting as one.
std::size_t characterCount(const std::u16string& text) {
  std::size_t count = 0;
  for (char16_t unit : text) count += unit < 0xDC00 || unit > 0xDFFF;
  return count;
}

// What one data item came to: 0 written, 1 failed, 2 refused as a picture no scanner should get.
struct Outcome {
  int status = 0;
  std::string message;
  std::string warnings;  // lines, each ending in a line end, for pictures written all the same
};

class PictureMaker {
 public:
  PictureMaker(const Plugin& plugin, const Options& options)
      : options_(options), plugin_(plugin), drawing_(plugin, settingsOf(options)) {}

  Outcome make(const std::u16string& text, const std::string& output) {
    const std::optional<ModuleMatrix> matrix = drawing_.modules(text);
    if (!matrix) return {1, capacityAdvice(drawing_, text), {}};
    if (options_.print && options_.format == "svg" && !exactOnDevice(*matrix, text)) {
      return writeVectorPrint(*matrix, text, output);
    }
    const std::optional<DeviceSize> size = deviceSize(*matrix, text);
    const std::string tooLarge =
        "the picture would be larger than " + std::to_string(kMaxPictureSide) +
        " pixels a side or 2^32 pixels in all; lower --dpi, --scale, the scales or --quiet-zone";
    if (!size) return {1, tooLarge, {}};
    const double module = static_cast<double>(size->width) / matrix->columns;
    if (size->width == 0 || size->height == 0) {
      return {2,
              "the picture would be empty (" + std::to_string(size->width) + " x " + std::to_string(size->height) +
                  " pixels at " + std::to_string(options_.dpi) + " dpi)" +
                  (options_.print ? printAdvice(plugin_, settingsOf(options_), text, options_.dpi)
                                  : wholePixelAdvice(drawing_, *matrix, text, options_.dpi, options_.scale)),
              {}};
    }
    const DeviceLayout layout = layOut(*matrix, options_.xScale, drawing_.rowHeight(), static_cast<int>(size->width),
                                       static_cast<int>(size->height), options_.quietModules);
    if (layout.width() > kMaxPictureSide || layout.height() > kMaxPictureSide ||
        layout.width() * layout.height() > kMaxPicturePixels) {
      return {1, tooLarge, {}};
    }
    std::string warnings;
    if (const std::string fault = unevenness(layout); !fault.empty()) {
      if (readable(layout)) {
        const std::string note = "note: X-dimension " + fixed(module, 2) + " px, drawn " +
                                 std::to_string(layout.moduleWidths().smallest) + "-" +
                                 std::to_string(layout.moduleWidths().largest) +
                                 " px = " + fixed(module * 25.4 / options_.dpi, 2) + " mm\n";
        warnings += note;  // a batch keeps the first for each symbol size (runBatch)
      } else if (!options_.force) {
        const std::string advice = options_.print
                                       ? printAdvice(plugin_, settingsOf(options_), text, options_.dpi)
                                       : wholePixelAdvice(drawing_, *matrix, text, options_.dpi, options_.scale);
        const bool uneven = !layout.moduleWidths().even() && layout.moduleWidths().smallest > 0;
        return {2,
                fault + (uneven ? ", which scanners misread under 2 px" : "") + advice +
                    ", or write it anyway with --force",
                {}};
      } else {
        warnings += "warning: " + fault + " (written because of --force)\n";
      }
    }
    const double moduleMm = module * 25.4 / options_.dpi;
    if ((options_.print || options_.dpiGiven) && moduleMm < kSmallestXDimensionMm) {
      warnings += "warning: the X-dimension is " + fixed(moduleMm, 3) + " mm, below the " +
                  fixed(kSmallestXDimensionMm, 2) + " mm that most printers and scanners need\n";
    }

    writeFile(Picture{*matrix, layout, options_.dpi, options_.dpiGiven || options_.print}, output);
    if (options_.batch) return {0, "", warnings};  // a batch reports only its count
    const PixelRange rows = layout.rowHeights();
    const std::string report = "pdf417: wrote " + displayName(output) + " (" + options_.format + ", " +
                               std::to_string(layout.width()) + " x " + std::to_string(layout.height()) +
                               " pixels; X-dimension " + fixed(module, module == std::floor(module) ? 0 : 2) +
                               " px = " + fixed(moduleMm, 3) + " mm at " + std::to_string(options_.dpi) +
                               " dpi, rows " +
                               (rows.even() ? std::to_string(rows.smallest)
                                            : std::to_string(rows.smallest) + "-" + std::to_string(rows.largest)) +
                               " px; " + counted(static_cast<long>(characterCount(text)), "character") + ")";
    return {0, report, warnings};
  }

 private:
  // Whether the printer's pixels show every module and row at exactly its physical size; an SVG
  // is then drawn in those pixels, as it always was.
  bool exactOnDevice(const ModuleMatrix& matrix, const std::u16string& text) {
    const std::optional<DeviceSize> size = deviceSize(matrix, text);
    if (!size || size->width == 0 || size->height == 0) return false;
    const DeviceLayout layout = layOut(matrix, options_.xScale, drawing_.rowHeight(), static_cast<int>(size->width),
                                       static_cast<int>(size->height), 0);
    const PixelRange widths = layout.moduleWidths(), rows = layout.rowHeights();
    return widths.even() && rows.even() && widths.smallest * 96 == options_.xScale * options_.dpi &&
           rows.smallest * 96 == drawing_.rowHeight() * options_.dpi;
  }

  // SVG has no device pixels: a print is the bitmap at its physical size, a bitmap pixel 1/96
  // inch, so every module is exactly xscale/96 inch wide however the SVG is later printed.
  Outcome writeVectorPrint(const ModuleMatrix& matrix, const std::u16string& text, const std::string& output) {
    constexpr int kBitmapDpi = 96;
    const int rowHeight = drawing_.rowHeight();
    const DeviceLayout layout = layOut(matrix, options_.xScale, rowHeight, matrix.columns * options_.xScale,
                                       matrix.rows * rowHeight, options_.quietModules);
    writeFile(Picture{matrix, layout, kBitmapDpi, true}, output);
    if (options_.batch) return {0, "", ""};
    const auto mm = [](double bitmapPixels) { return fixed(bitmapPixels * 25.4 / kBitmapDpi, 3); };
    return {0,
            "pdf417: wrote " + displayName(output) + " (svg, " + mm(static_cast<double>(layout.width())) + " x " +
                mm(static_cast<double>(layout.height())) + " mm; X-dimension " + mm(options_.xScale) + " mm, rows " +
                mm(rowHeight) + " mm; " + counted(static_cast<long>(characterCount(text)), "character") + ")",
            ""};
  }

  void writeFile(const Picture& picture, const std::string& output) {
    OutputFile file(output);
    try {
      writePicture(picture, options_.format, file.get(), output);
      file.close();
    } catch (...) {
      file.discard();
      throw;
    }
  }

  // The device size depends only on the symbol's size in modules (the picture object scales the
  // bitmap as a whole), so a batch measures each size once.
  std::optional<DeviceSize> deviceSize(const ModuleMatrix& matrix, const std::u16string& text) {
    const auto key = std::make_pair(matrix.columns, matrix.rows);
    const auto known = deviceSizes_.find(key);
    if (known != deviceSizes_.end()) return known->second;
    const std::optional<DeviceSize> size = drawing_.deviceSize(text, options_.dpi, options_.scale);
    deviceSizes_.emplace(key, size);
    return size;
  }

  static DrawingSettings settingsOf(const Options& o) {
    return DrawingSettings{o.rows, o.columns, o.level, o.xScale, o.yScale, o.print};
  }

  static std::string displayName(const std::string& output) {
    if (output == "-") return "standard output";
    return absolutePath(output);
  }

  const Options& options_;
  const Plugin& plugin_;
  SymbolDrawing drawing_;
  std::map<std::pair<int, int>, std::optional<DeviceSize>> deviceSizes_;
};

// The text as UTF-8, for notes.
std::string utf8Of(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size())
      code = 0x10000 + ((code - 0xD800) << 10 | (text[++i] - 0xDC00));
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | code >> 18);
      out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
  }
  return text;
}

// The pdf417-encode command line that encodes the same data so that readers return it as it is.
std::string keepingCommand(const Options& o) {
  std::string line = "pdf417-encode";
  if (o.batch) line += o.nulSeparated ? " --batch -0" : " --batch";
  if (o.rows != 0) line += " -r " + std::to_string(o.rows);
  if (o.columns != 0) line += " -c " + std::to_string(o.columns);
  if (o.level >= 0) line += " -l " + std::to_string(o.level);
  // A TEXT argument and the items of a batch are text to pdf417-encode; a file's bytes are bytes.
  if (!o.batch && !o.text) line += " --eci utf8";
  line += " -o " + shellWord(o.output);
  if (o.text) {
    line += " " + shellWord(*o.text);
  } else if (o.dataFile && *o.dataFile != "-") {
    line += " --file " + shellWord(*o.dataFile);
  }
  return line;
}

// Lines ("note: ...\n") that say where what a reader returns will differ from the text: characters
// drawn as '?', and characters that readers return as control characters. Empty when it will not.
std::string differenceNotes(const std::u16string& text, const Options& o) {
  std::string notes;
  const int replaced = charactersOutsideCodePage(text);
  const std::u16string controls = charactersReadAsControls(text);
  if (!controls.empty()) {
    std::vector<std::string> names, bytes, readAs;
    for (const char16_t unit : controls) {
      const auto byte = static_cast<unsigned char>(torv::platform::utf16UnitToAnsi(unit));
      char hex[16];
      names.push_back("\"" + utf8Of(std::u16string(1, unit)) + "\"");
      std::snprintf(hex, sizeof hex, "0x%02X", byte);
      bytes.push_back(hex);
      std::snprintf(hex, sizeof hex, "U+%04X", byte);
      readAs.push_back(hex);
    }
    const bool one = controls.size() == 1;
    notes += "note: " + listed(names) + (one ? " becomes the Windows-1252 byte " : " become the Windows-1252 bytes ") +
             listed(bytes) +
             (one ? ", which readers return as the control character "
                  : ", which readers return as the control characters ") +
             listed(readAs) + " (they read data without an ECI as ISO-8859-1); pdf417-encode keeps " +
             (one ? "it" : "them") + ": " + keepingCommand(o) + "\n";
  }
  if (replaced > 0) {
    notes += "note: " + counted(replaced, "character") + (replaced == 1 ? " is" : " are") +
             " not in Windows-1252 and " + (replaced == 1 ? "is" : "are") + " drawn as '?'; pdf417-encode keeps " +
             (replaced == 1 ? "it" : "them") + ": " + keepingCommand(o) + "\n";
  }
  return notes;
}

std::u16string textOf(const std::string& bytes) {
  try {
    return utf8ToUtf16(bytes);
  } catch (const InputError& e) {
    throw InputError(std::string(e.what()) +
                     "; pdf417 draws text, pdf417-encode encodes any bytes (pdf417-encode -o OUTPUT --file FILE)");
  }
}

// Draws one text: the picture, with the notes on how a reader will see it, or with --strict a
// refusal when a reader would not return the text as it is.
Outcome drawText(const std::string& bytes, const std::string& output, const Options& o, PictureMaker& maker,
                 std::string& notes) {
  const std::u16string text = textOf(bytes);
  notes = differenceNotes(text, o);
  if (!notes.empty() && o.strict) {
    std::string why;
    for (std::size_t start = 0; start < notes.size();) {
      const std::size_t end = notes.find('\n', start);
      why += (why.empty() ? "" : "; and ") + notes.substr(start + 6, end - start - 6);
      start = end + 1;
    }
    notes.clear();
    return {1, why + " (refused because of --strict)", {}};
  }
  return maker.make(text, output);
}

// Lines to standard error, after "pdf417: ".
void sayLines(const std::string& lines) {
  for (std::size_t start = 0; start < lines.size();) {
    const std::size_t end = std::min(lines.find('\n', start), lines.size());
    writeText(stderr, "pdf417: " + lines.substr(start, end - start) + "\n");
    start = end + 1;
  }
}

int runOne(const Options& o, PictureMaker& maker) {
  const std::string bytes = o.text ? *o.text : readDataFile(o.dataFile.value_or("-"));
  // A symbol of no data is one that no reader returns anything for.
  if (bytes.empty()) {
    throw InputError(o.text                             ? "the text is empty: there is nothing to encode"
                     : o.dataFile && *o.dataFile != "-" ? "the data file " + *o.dataFile + " is empty"
                                                        : "standard input is empty: there is nothing to encode");
  }
  std::string notes;
  const Outcome outcome = drawText(bytes, o.output, o, maker, notes);
  // Notes that the picture differs from the text are said even with --quiet; the rest is not.
  sayLines(notes);
  if (outcome.status != 0) {
    sayLines(outcome.message);
    return outcome.status;
  }
  if (o.quiet) return 0;
  sayLines(outcome.warnings);
  // The picture itself may be on standard output; the report then goes to standard error.
  writeText(o.output == "-" ? stderr : stdout, outcome.message + "\n");
  return 0;
}

// Every item is tried; the status is 0 only when every picture was written. The items run on
// --jobs threads, each with its own picture maker; reports come in item order all the same.
int runBatch(const Options& o, const Plugin& plugin) {
  BatchSetup setup;
  setup.command = "pdf417";
  setup.dataFile = o.dataFile.value_or("-");
  setup.nulSeparated = o.nulSeparated;
  setup.jobs = o.jobs;
  setup.quiet = o.quiet;
  setup.maxItemBytes = kMaxItemBytes;
  return runBatch(setup, [&] {
    return [&, maker = std::make_unique<PictureMaker>(plugin, o)](const std::string& item, long number) {
      ItemResult result;
      const Outcome outcome = drawText(item, itemFileName(o.output, number), o, *maker, result.notes);
      result.written = outcome.status == 0;
      (result.written ? result.report : result.failure) = outcome.message;
      result.warnings = outcome.warnings;
      return result;
    };
  });
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    options = parseOptions(commandArguments(argc, argv));
  } catch (const UsageError& e) {
    writeText(stderr, std::string("pdf417: ") + e.what() + "\ntry 'pdf417 --help'\n");
    return 2;
  }
  if (options.help) {
    writeText(stdout, usageText());
    return 0;
  }
  if (options.version) {
    writeText(stdout, "pdf417 " TORV_VERSION "\n");
    return 0;
  }
  try {
    const std::unique_ptr<const Plugin> plugin =
        options.plugin.empty() ? std::make_unique<Plugin>() : std::make_unique<Plugin>(options.plugin);
    if (options.batch) return runBatch(options, *plugin);
    PictureMaker maker(*plugin, options);
    return runOne(options, maker);
  } catch (const std::exception& e) {
    writeText(stderr, std::string("pdf417: ") + e.what() + "\n");
    return 1;
  }
}
