// SPDX-License-Identifier: Apache-2.0
#include "encode_check.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "bmp_reader.h"
#include "pdf417/encoder.h"
#include "symbol_reader.h"
#include "zxing_decode.h"

namespace torv::test {
namespace {

namespace enc = torv::pdf417;

const PatternTables& tables() {
  static PatternTables t;
  static std::string error = [] {
    std::string why;
    return t.load(TORV_PATTERN_FILE, why) ? std::string() : why;
  }();
  if (!error.empty()) {
    // Without the published tables no symbol can be checked: fail loudly, once per case.
    throw std::runtime_error("pattern tables unavailable: " + error);
  }
  return t;
}

struct Failure {
  std::ostringstream text;
  template <typename T>
  Failure& operator<<(const T& v) {
    text << v;
    return *this;
  }
};

std::string fail(const Failure& f) { return f.text.str(); }

}  // namespace

std::string describe(const EncodeCase& c) {
  std::ostringstream s;
  if (c.eccLevel != EncodeCase::kNoCall) s << "ecc=" << c.eccLevel << " ";
  if (c.sizingMode != EncodeCase::kNoCall) s << "sizing=" << c.sizingMode << " ";
  if (c.setRowsColumns) s << "rc=" << c.rows << "x" << c.columns << " ";
  if (!c.aspect.empty()) s << "aspect=" << c.aspect << " ";
  if (!c.rowHeight.empty()) s << "rowHeight=" << c.rowHeight << " ";
  s << "module=" << c.moduleWidth << (c.fileHeader ? " header" : " noheader");
  return s.str();
}

std::string runEncodeCase(const std::vector<std::uint8_t>& data, const EncodeCase& c, EncodeReport& report) {
  report = EncodeReport{};
  enc::Encoder encoder;  // the operations' own object, without the process-wide state
  const PatternTables& patterns = tables();
  ModelOptions model;

  if (encoder.reset() != 1) return "reset did not return 1";
  if (c.eccLevel != EncodeCase::kNoCall) {
    const bool valid = c.eccLevel >= 0 && c.eccLevel <= 8;
    if (encoder.setEccLevel(c.eccLevel) != (valid ? 1 : 0)) return "ecc level setter result";
    if (valid) {
      model.eccExplicit = true;
      model.eccLevel = c.eccLevel;
    }
  }
  if (c.sizingMode != EncodeCase::kNoCall) {
    const bool valid = c.sizingMode == enc::SIZING_FIXED || c.sizingMode == enc::SIZING_BOUNDED;
    if (encoder.setSizingMode(c.sizingMode) != (valid ? 1 : 0)) return "sizing mode setter result";
    if (valid) {
      model.fixed = c.sizingMode == enc::SIZING_FIXED;
      model.rows = model.fixed ? 58 : 90;
      model.columns = model.fixed ? 16 : 30;
    }
  }
  if (c.setRowsColumns) {
    const bool valid = rowsColumnsAccepted(model.fixed, c.rows, c.columns);
    if (encoder.setRowsColumns(c.rows, c.columns) != (valid ? 1 : 0)) {
      return fail(Failure() << "rows/columns setter result for " << c.rows << "x" << c.columns << ", expected "
                            << valid);
    }
    if (valid) {
      model.rows = c.rows;
      model.columns = c.columns;
    }
  }
  if (!c.aspect.empty()) {
    if (encoder.setAspectRatio(c.aspect.c_str()) != 1) return "aspect ratio not taken: " + c.aspect;
    model.aspect = c.aspectValue;
  }
  if (!c.rowHeight.empty()) {
    if (encoder.setRowHeightRatio(c.rowHeight.c_str()) != 1) return "row height not taken: " + c.rowHeight;
    model.rowHeightNum = c.rowHeightNum;
    model.rowHeightDen = c.rowHeightDen;
  }
  if (encoder.setBitmapWriter(c.moduleWidth, c.fileHeader) != 1) return "bitmap writer not installed";

  enc::Pdf417Stream in;
  enc::pdf417OpenMemory(&in, enc::PDF417_STREAM_INPUT, const_cast<std::uint8_t*>(data.data()),
                        static_cast<std::uint32_t>(data.size()));
  const Plan plan = planCapacity(model);
  report.capacity = plan.capacity;
  report.encodeResult = encoder.encode(&in, static_cast<std::int32_t>(data.size()));
  std::int32_t size = -1;
  if (plan.noRoom) {
    if (report.encodeResult != enc::PDF417_ERR_NO_ROOM) {
      return fail(Failure() << "encode gave " << report.encodeResult << ", expected -17 (" << plan.slots
                            << " slots at level " << plan.level << ")");
    }
  } else if (report.encodeResult == enc::PDF417_ERR_TOO_LONG) {
    if (data.size() <= static_cast<std::size_t>(maxBytes(plan.capacity - 2))) {
      return fail(Failure() << "encode refused " << data.size() << " bytes as too long although "
                            << maxBytes(plan.capacity - 2) << " bytes fit as bytes alone (capacity " << plan.capacity
                            << ")");
    }
  } else if (report.encodeResult != 1) {
    return fail(Failure() << "encode gave " << report.encodeResult << " (capacity " << plan.capacity << ")");
  }
  if (report.encodeResult != 1) {
    // Nothing is encoded after a failure.
    if (encoder.write(nullptr, &size) != enc::PDF417_ERR_NOT_ENCODED) return "write after failed encode";
    encoder.close(nullptr);
    return {};
  }

  report.writeResult = encoder.write(nullptr, &size);
  if (report.writeResult == enc::PDF417_ERR_NO_ARRANGEMENT) {
    // Only acceptable when some data count the plan allows has no arrangement.
    bool someDoesNotFit = false;
    for (int n = 1; n <= plan.capacity && !someDoesNotFit; ++n) someDoesNotFit = !chooseLayout(model, n).fits;
    encoder.close(nullptr);
    if (!someDoesNotFit) return "write found no arrangement although every planned data count has one";
    return {};
  }
  if (report.writeResult != 0) return fail(Failure() << "size query gave " << report.writeResult);
  if (size <= 0) return fail(Failure() << "size query gave " << size << " bytes");

  // The bitmap into a buffer of exactly its size, with guard bytes behind it.
  constexpr std::size_t kGuard = 16;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size) + kGuard, 0xA5);
  if (c.checkShortBuffer) {
    enc::Pdf417Stream shortOut;
    enc::pdf417OpenMemory(&shortOut, enc::PDF417_STREAM_OUTPUT, buffer.data(), static_cast<std::uint32_t>(size - 1));
    std::int32_t written = -1;
    if (encoder.write(&shortOut, &written) != enc::PDF417_ERR_WRITER) return "short buffer not refused";
    if (written != -1) return "short buffer write reported a count";
    if (buffer[static_cast<std::size_t>(size) - 1] != 0xA5) return "short buffer write passed its capacity";
  }
  enc::Pdf417Stream out;
  enc::pdf417OpenMemory(&out, enc::PDF417_STREAM_OUTPUT, buffer.data(), static_cast<std::uint32_t>(size));
  std::int32_t written = -1;
  report.writeResult = encoder.write(&out, &written);
  encoder.close(&out);
  if (report.writeResult != 0) return fail(Failure() << "write gave " << report.writeResult);
  if (written != size) return fail(Failure() << "wrote " << written << " bytes, size query said " << size);
  for (std::size_t i = 0; i < kGuard; ++i)
    if (buffer[static_cast<std::size_t>(size) + i] != 0xA5) return "write passed the end of its buffer";
  buffer.resize(static_cast<std::size_t>(size));

  OneBitBmp bmp;
  std::string why;
  if (!readOneBitBmp(buffer.data(), buffer.size(), bmp, why)) return "bitmap: " + why;
  if (bmp.hasFileHeader != c.fileHeader) return "file header presence";
  if (c.fileHeader && bmp.pixelDataOffset != 62) return "pixel data offset";
  if (bmp.storedHeight <= 0) return "rows not stored bottom-up";
  if (bmp.imageSize != bmp.stride * static_cast<std::size_t>(bmp.height)) return "image size field";
  if (bmp.xResolution != 0 || bmp.yResolution != 0 || bmp.coloursUsed != 0 || bmp.coloursImportant != 2) {
    return "information header fields";
  }
  static const std::uint8_t kBlack[4] = {0, 0, 0, 0}, kWhite[4] = {255, 255, 255, 0};
  if (!std::equal(kBlack, kBlack + 4, bmp.palette[0]) || !std::equal(kWhite, kWhite + 4, bmp.palette[1])) {
    return "palette is not black, white";
  }
  if (!bmp.trailingBitsZero) return "bits past the last pixel of a row are not 0";

  const int modulePx = std::max(1, c.moduleWidth);
  const int rowPx = std::max(1, modulePx * model.rowHeightNum / model.rowHeightDen);
  SymbolRead symbol;
  if (!readSymbol(PixelGrid{bmp.width, bmp.height, bmp.gray.data()}, modulePx, rowPx, patterns, true, symbol, why)) {
    return "symbol: " + why;
  }
  if (!checkSymbol(symbol, why)) return "symbol: " + why;
  report.rows = symbol.rows;
  report.columns = symbol.columns;
  report.level = symbol.eccLevel;

  // Data count: the length descriptor less the pad codewords (900) in front of the check codewords.
  const int described = symbol.sequence[0];
  int pads = 0;
  while (described - 1 - pads > 0 && symbol.sequence[static_cast<std::size_t>(described - 1 - pads)] == 900) ++pads;
  const int n = described - pads;
  report.dataCount = n;
  for (int i = 1; i < n; ++i) {
    switch (symbol.sequence[static_cast<std::size_t>(i)]) {
      case 900:
        ++report.latchText;
        break;
      case 901:
        ++report.latchByte;
        break;
      case 924:
        ++report.latchByte6;
        break;
      case 902:
        ++report.latchNumeric;
        break;
      case 913:
        ++report.shiftByte;
        break;
      default:
        break;
    }
  }
  if (n > plan.capacity) return fail(Failure() << n << " data codewords exceed the planned room " << plan.capacity);
  const Layout layout = chooseLayout(model, n);
  if (!layout.fits || layout.rows != symbol.rows || layout.columns != symbol.columns ||
      layout.level != symbol.eccLevel || layout.pads != pads) {
    return fail(Failure() << "layout " << symbol.rows << "x" << symbol.columns << " level " << symbol.eccLevel
                          << " pads " << pads << ", expected " << layout.rows << "x" << layout.columns << " level "
                          << layout.level << " pads " << layout.pads << " for " << n << " data codewords ("
                          << describe(model) << ")");
  }

  if (data.empty()) {
    if (n != 1) return fail(Failure() << "empty data gave " << n << " data codewords");
    return {};
  }
  Pdf417ReadOptions readOptions;
  readOptions.modulePx = modulePx;
  readOptions.rowPx = rowPx;
  const auto decoded = decodePdf417(bmp.width, bmp.height, bmp.gray.data(), 0, readOptions, why);
  if (!decoded) return "zxing-cpp read nothing: " + why;
  if (*decoded != data) {
    std::size_t at = 0;
    while (at < decoded->size() && at < data.size() && (*decoded)[at] == data[at]) ++at;
    return fail(Failure() << "zxing-cpp read " << decoded->size() << " bytes, first difference at " << at);
  }
  report.decoded = true;
  return {};
}

}  // namespace torv::test
