// SPDX-License-Identifier: Apache-2.0
#include "micro_encode.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "batch.h"
#include "output_file.h"
#include "pdf417/macro.h"
#include "pdf417/micro_encoder.h"
#include "pdf417/micro_macro.h"
#include "pdf417/pdf417.h"
#include "picture_file.h"
#include "symbol_modules.h"

namespace torv::tools {
namespace {

using namespace torv::pdf417;

// Modules and rows as large as the encoder's own bitmap draws them.
DeviceLayout layoutOf(const ModuleMatrix& matrix, const MicroSymbol& symbol, const EncodeOptions& o) {
  const int rowHeight = std::max(1, o.moduleWidth * symbol.rowHeightNum / std::max<int>(1, symbol.rowHeightDen));
  return gridLayout(matrix, o.moduleWidth, rowHeight, o.quietModules);
}

// A Micro encoder with the size, row height and extended channel of the options.
void configureMicro(MicroEncoder& encoder, int eci, const EncodeOptions& o) {
  if (!encoder.setSize(o.columns, o.rows)) {
    throw UsageError("MicroPDF417 has no size of " + std::to_string(o.rows) + " rows x " + std::to_string(o.columns) +
                     " columns (1 column: 11-28 rows, 2: 8-26, 3: 6-44, 4: 4-44)");
  }
  if (!encoder.setRowHeightRatio(o.rowHeight.c_str())) {
    throw UsageError("row height '" + o.rowHeight + "' is not H or H:W with each side 1..25");
  }
  encoder.setEci(eci);
  if (o.fewestCodewords) encoder.setCompaction(Compaction::Fewest);
}

// The picture of an encoded Micro symbol, as the options ask for it.
void writeMicroPicture(const MicroSymbol& symbol, const EncodeOptions& o, const std::string& output) {
  OutputFile file(output);
  try {
    if (!o.fileHeader) {
      std::vector<std::uint8_t> image;
      BitmapOptions bitmap;
      bitmap.installed = true;
      bitmap.moduleWidth = static_cast<std::uint16_t>(o.moduleWidth);
      writeMicroBitmap(image, symbol, bitmap);
      std::fwrite(image.data(), 1, image.size(), file.get());
    } else {
      const ModuleMatrix matrix = modulesOf(symbol, symbol.widthModules());
      const DeviceLayout layout = layoutOf(matrix, symbol, o);
      const TurnedSymbol turnedSymbol = turned(matrix, layout, o.rotate);
      writePicture(Picture{turnedSymbol.matrix, turnedSymbol.layout, o.dpi, o.dpi > 0, o.bars, o.space}, o.format,
                   file.get(), output);
    }
    file.close();
  } catch (...) {
    file.discard();
    throw;
  }
}

}  // namespace

std::string writeMicroSymbol(const std::string& data, int eci, const EncodeOptions& o, const std::string& output) {
  MicroEncoder encoder;
  configureMicro(encoder, eci, o);
  if (encoder.encode(data.data(), static_cast<std::uint32_t>(data.size())) != 1) {
    throw std::runtime_error(o.columns != 0 ? "the data does not fit a MicroPDF417 symbol of this size"
                                            : "the data does not fit the largest MicroPDF417 symbol");
  }
  const MicroSymbol& symbol = encoder.symbol();
  writeMicroPicture(symbol, o, output);
  return std::to_string(data.size()) + " bytes: MicroPDF417 " + std::to_string(symbol.rows) + " rows x " +
         std::to_string(symbol.columns) + " columns, " + std::to_string(symbol.checkCount) + " check codewords, " +
         std::to_string(symbol.dataCount) + " data codewords, " + std::to_string(symbol.padCount) + " pads; " + output +
         " (" + o.format + ")";
}

std::string writeMicroMacroSet(const std::string& data, int eci, const EncodeOptions& o) {
  MicroEncoder encoder;
  configureMicro(encoder, eci, o);
  MicroMacroFile file;
  if (!o.macroId.empty()) file.fileId = *macroFileIdFromDigits(o.macroId);
  file.fileName = o.macroName.value_or("");
  MicroMacroSet set;
  const int rc = set.split(encoder, data.data(), static_cast<std::uint32_t>(data.size()), file);
  if (rc == PDF417_ERR_NO_ARRANGEMENT) {
    throw std::runtime_error(
        "--macro-name in a MicroPDF417 set takes printable ASCII, tab, CR and LF only (Text Compaction)");
  }
  if (rc != 0) {
    throw std::runtime_error(
        "the MicroPDF417 Macro fields leave no room for data in this symbol size, or the set would need more than "
        "99999 symbols");
  }
  unsigned smallest = kMicroMaxRows;
  unsigned largest = 0;
  for (std::size_t i = 0; i < set.size(); ++i) {
    if (set.encode(encoder, i) != 1) throw std::runtime_error("a segment of the MicroPDF417 set did not encode");
    writeMicroPicture(encoder.symbol(), o, itemFileName(o.output, static_cast<long>(i + 1)));
    smallest = std::min<unsigned>(smallest, encoder.symbol().rows);
    largest = std::max<unsigned>(largest, encoder.symbol().rows);
  }
  const std::string rows =
      smallest == largest ? std::to_string(largest) : std::to_string(smallest) + " to " + std::to_string(largest);
  return std::to_string(data.size()) + " bytes: Macro MicroPDF417 set of " + std::to_string(set.size()) +
         (set.size() == 1 ? " symbol, " : " symbols, ") + rows + " rows x " + std::to_string(encoder.symbol().columns) +
         " columns; " + itemFileName(o.output, 1) +
         (set.size() > 1 ? " to " + itemFileName(o.output, static_cast<long>(set.size())) : "") + " (" + o.format + ")";
}

}  // namespace torv::tools
