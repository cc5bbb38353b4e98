// SPDX-License-Identifier: Apache-2.0
#include "micro_encode.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "output_file.h"
#include "pdf417/micro_encoder.h"
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

}  // namespace

std::string writeMicroSymbol(const std::string& data, int eci, const EncodeOptions& o, const std::string& output) {
  MicroEncoder encoder;
  if (!encoder.setSize(o.columns, o.rows)) {
    throw UsageError("MicroPDF417 has no size of " + std::to_string(o.rows) + " rows x " + std::to_string(o.columns) +
                     " columns (1 column: 11-28 rows, 2: 8-26, 3: 6-44, 4: 4-44)");
  }
  if (!encoder.setRowHeightRatio(o.rowHeight.c_str())) {
    throw UsageError("row height '" + o.rowHeight + "' is not H or H:W with each side 1..25");
  }
  encoder.setEci(eci);
  if (o.fewestCodewords) encoder.setCompaction(Compaction::Fewest);
  if (encoder.encode(data.data(), static_cast<std::uint32_t>(data.size())) != 1) {
    throw std::runtime_error(o.columns != 0 ? "the data does not fit a MicroPDF417 symbol of this size"
                                            : "the data does not fit the largest MicroPDF417 symbol");
  }
  const MicroSymbol& symbol = encoder.symbol();
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
  return std::to_string(data.size()) + " bytes: MicroPDF417 " + std::to_string(symbol.rows) + " rows x " +
         std::to_string(symbol.columns) + " columns, " + std::to_string(symbol.checkCount) + " check codewords, " +
         std::to_string(symbol.dataCount) + " data codewords, " + std::to_string(symbol.padCount) + " pads; " + output +
         " (" + o.format + ")";
}

}  // namespace torv::tools
