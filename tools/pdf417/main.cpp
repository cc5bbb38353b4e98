// pdf417: draws a text as a PDF417 barcode with the torvc_pdf417 plug-in, called through its
// exported functions as a host calls them (built in, or loaded by path), and writes the picture
// the host's device would show as PNG, BMP or SVG.
#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "batch.h"
#include "batch_runner.h"
#include "capacity_advice.h"
#include "command_line.h"
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
      : options_(options), drawing_(plugin, settingsOf(options)) {}

  Outcome make(const std::u16string& text, const std::string& output) {
    const std::optional<ModuleMatrix> matrix = drawing_.modules(text);
    if (!matrix) return {1, capacityAdvice(drawing_, text), {}};
    const std::optional<DeviceSize> size = deviceSize(*matrix, text);
    const std::string tooLarge = "the picture would be larger than " + std::to_string(kMaxPictureSide) +
                                 " pixels a side or 2^32 pixels in all; lower --dpi, --scale, the scales or --quiet";
    if (!size) return {1, tooLarge, {}};
    const double module = static_cast<double>(size->width) / matrix->columns;
    if (size->width == 0 || size->height == 0) {
      return {2,
              "the picture would be empty (" + std::to_string(size->width) + " x " + std::to_string(size->height) +
                  " pixels at " + std::to_string(options_.dpi) + " dpi)" +
                  wholePixelAdvice(drawing_, *matrix, text, options_.dpi, options_.scale),
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
      if (!options_.force)
        return {2,
                fault + wholePixelAdvice(drawing_, *matrix, text, options_.dpi, options_.scale) +
                    ", or write it anyway with --force",
                {}};
      warnings += "warning: " + fault + " (written because of --force)\n";
    }
    const double moduleMm = module * 25.4 / options_.dpi;
    if ((options_.print || options_.dpiGiven) && moduleMm < kSmallestXDimensionMm) {
      warnings += "warning: the X-dimension is " + fixed(moduleMm, 3) + " mm, below the " +
                  fixed(kSmallestXDimensionMm, 2) + " mm that most printers and scanners need\n";
    }

    OutputFile file(output);
    try {
      writePicture(Picture{*matrix, layout, options_.dpi, options_.dpiGiven || options_.print}, options_.format,
                   file.get(), output);
      file.close();
    } catch (...) {
      file.discard();
      throw;
    }
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
    char* absolute = realpath(output.c_str(), nullptr);
    const std::string name = absolute != nullptr ? absolute : output;
    std::free(absolute);
    return name;
  }

  const Options& options_;
  SymbolDrawing drawing_;
  std::map<std::pair<int, int>, std::optional<DeviceSize>> deviceSizes_;
};

// The note about characters drawn as '?' goes to `notes` when given, else to standard error.
std::u16string textOf(const std::string& bytes, const std::string& where, std::string* notes = nullptr) {
  const std::u16string text = utf8ToUtf16(bytes);
  if (const int replaced = charactersOutsideCodePage(text); replaced > 0) {
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

void report(const Outcome& outcome, const std::string& where) {
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
  const Outcome outcome = maker.make(textOf(bytes, ""), o.output);
  // The picture itself may be on standard output; the report then goes to standard error.
  if (o.output == "-" && outcome.status == 0) {
    report(Outcome{0, "", outcome.warnings}, "");
    writeText(stderr, outcome.message + "\n");
  } else {
    report(outcome, "");
  }
  return outcome.status;
}

// Every item is tried; the status is 0 only when every picture was written. The items run on
// --jobs threads, each with its own picture maker; reports come in item order all the same.
int runBatch(const Options& o, const Plugin& plugin) {
  // Every picture's compressor takes and frees the same few hundred kilobytes: keep them between
  // items rather than hand them back to the system and fault them in again.
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  const std::string path = o.dataFile.value_or("-");
  std::FILE* in = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
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
        const std::u16string text = textOf(item, where(number), &result.notes);
        result.outcome = maker->make(text, itemFileName(o.output, number));
      } catch (const std::exception& e) {
        result.outcome = {1, e.what(), {}};
      }
      return result;
    };
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
    report(result->outcome, where(number));
  });
  writeText(stdout, "pdf417: wrote " + std::to_string(written) + " picture(s)" +
                        (failed > 0 ? "; " + std::to_string(failed) + " item(s) failed" : "") + "\n");
  return failed > 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
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
