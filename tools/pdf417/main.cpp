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
#include "plugin.h"
#include "symbol_drawing.h"
#include "text_input.h"
#include "torv_version.h"

namespace {

using namespace torv::tools;

constexpr double kSmallestXDimensionMm = 0.19;
constexpr long long kMaxPicturePixels = 1LL << 32;

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
                               " px; " + std::to_string(characterCount(text)) + " characters)";
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
                mm(rowHeight) + " mm; " + std::to_string(characterCount(text)) + " characters)",
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

// The note about characters drawn as '?' goes to `notes` when given, else to standard error;
// with --quiet it is left out.
std::u16string textOf(const std::string& bytes, const std::string& where, bool quiet, std::string* notes = nullptr) {
  std::u16string text;
  try {
    text = utf8ToUtf16(bytes);
  } catch (const InputError& e) {
    throw InputError(std::string(e.what()) +
                     "; pdf417 draws text, pdf417-encode encodes any bytes (pdf417-encode -o OUTPUT --file FILE)");
  }
  if (const int replaced = charactersOutsideCodePage(text); replaced > 0 && !quiet) {
    const std::string note = "pdf417: note: " + where + std::to_string(replaced) +
                             " character(s) are not in Windows-1252 and are drawn as '?'\n";
    if (notes != nullptr) {
      *notes += note;
    } else {
      writeText(stderr, note);
    }
  }
  return text;
}

// Notes, warnings and the report of a written picture are left out with --quiet; failures never.
void report(const Outcome& outcome, const std::string& where, bool quiet) {
  if (quiet && outcome.status == 0) return;
  for (std::size_t start = 0; start < outcome.warnings.size();) {
    const std::size_t end = outcome.warnings.find('\n', start);
    writeText(stderr, "pdf417: " + where + outcome.warnings.substr(start, end - start) + "\n");
    start = end + 1;
  }
  if (outcome.message.empty()) return;
  if (outcome.status == 0) {
    writeText(stdout, outcome.message + "\n");
  } else {
    writeText(stderr, "pdf417: " + where + outcome.message + "\n");
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
  const Outcome outcome = maker.make(textOf(bytes, "", o.quiet), o.output);
  // The picture itself may be on standard output; the report then goes to standard error.
  if (o.output == "-" && outcome.status == 0) {
    report(Outcome{0, "", outcome.warnings}, "", o.quiet);
    if (!o.quiet) writeText(stderr, outcome.message + "\n");
  } else {
    report(outcome, "", o.quiet);
  }
  return outcome.status;
}

// Every item is tried; the status is 0 only when every picture was written. The items run on
// --jobs threads, each with its own picture maker; reports come in item order all the same.
int runBatch(const Options& o, const Plugin& plugin) {
  // Every picture's compressor takes and frees the same few hundred kilobytes: keep them between
  // items rather than hand them back to the system and fault them in again.
  keepFreedMemory();
  const std::string path = o.dataFile.value_or("-");
  if (path == "-") useBinaryMode(stdin);
  std::FILE* in = path == "-" ? stdin : openFile(path, "rb");
  if (in == nullptr) throw InputError("cannot open the data file " + path);
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(in == stdin ? nullptr : in, std::fclose);
  ItemReader items(in, o.nulSeparated ? '\0' : '\n');
  const std::string unit = o.nulSeparated ? "item " : "line ";
  const auto where = [&](long number) { return unit + std::to_string(number) + ": "; };
  // An item's result: the notes on its text, then what became of it.
  struct ItemResult {
    std::string notes;
    Outcome outcome;
  };
  const auto makeWorker = [&] {
    return [&, maker = std::make_unique<PictureMaker>(plugin, o)](const std::string& item,
                                                                  long number) -> std::optional<ItemResult> {
      if (item.empty()) return std::nullopt;
      ItemResult result;
      try {
        const std::u16string text = textOf(item, where(number), o.quiet, &result.notes);
        result.outcome = maker->make(text, itemFileName(o.output, number));
      } catch (const std::exception& e) {
        result.outcome = {1, e.what(), {}};
      }
      return result;
    };
  };
  // A batch says the note of a symbol size once, at its first item in item order, whatever the jobs.
  std::set<std::string> notesGiven;
  const auto firstNotesOnly = [&notesGiven](const std::string& warnings) {
    std::string kept;
    for (std::size_t start = 0; start < warnings.size();) {
      const std::size_t end = std::min(warnings.find('\n', start), warnings.size() - 1);
      const std::string line = warnings.substr(start, end + 1 - start);
      if (line.rfind("note: ", 0) != 0 || notesGiven.insert(line).second) kept += line;
      start = end + 1;
    }
    return kept;
  };
  long failed = 0, written = 0;
  runInItemOrder(items, jobCount(o.jobs), makeWorker, [&](long number, std::optional<ItemResult> result) {
    if (!result) return;
    if (result->outcome.status == 0) {
      ++written;
    } else {
      ++failed;
    }
    if (!result->notes.empty()) writeText(stderr, result->notes);
    result->outcome.warnings = firstNotesOnly(result->outcome.warnings);
    report(result->outcome, where(number), o.quiet);
  });
  if (!o.quiet)
    writeText(stdout, "pdf417: wrote " + std::to_string(written) + " picture(s)" +
                          (failed > 0 ? "; " + std::to_string(failed) + " item(s) failed" : "") + "\n");
  return failed > 0 ? 1 : 0;
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
