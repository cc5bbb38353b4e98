// SPDX-License-Identifier: Apache-2.0
#include "zxing_decode.h"

#include <algorithm>
#include <climits>

#include <ZXing/ReadBarcode.h>

namespace torv::test {
namespace {

bool isDark(std::uint8_t v) { return v < 128; }

// Shortest run of equal colour along rows (horizontal) or columns (vertical), runs touching the image
// border excluded where possible; the narrowest module of a PDF417 row is a 1-module element.
int shortestRun(int width, int height, const std::uint8_t* pixels, int stride, bool horizontal) {
  const int outer = horizontal ? height : width;
  const int inner = horizontal ? width : height;
  int best = INT_MAX;
  for (int o = 0; o < outer; ++o) {
    int runStart = 0;
    for (int i = 1; i <= inner; ++i) {
      auto at = [&](int k) { return horizontal ? pixels[o * stride + k] : pixels[k * stride + o]; };
      if (i == inner || isDark(at(i)) != isDark(at(runStart))) {
        const bool interior = runStart > 0 && i < inner;
        if (interior || horizontal) best = std::min(best, i - runStart);
        runStart = i;
      }
    }
  }
  return best == INT_MAX ? (horizontal ? 1 : height) : best;
}

int ceilDiv(int a, int b) { return (a + b - 1) / b; }

}  // namespace

std::optional<Pdf417Reading> readPdf417(int width, int height, const std::uint8_t* pixels, int rowStride,
                                        const Pdf417ReadOptions& options, std::string& why) {
  why.clear();
  if (pixels == nullptr || width <= 0 || height <= 0) {
    why = "empty image";
    return std::nullopt;
  }
  const int stride = rowStride > 0 ? rowStride : width;
  const int modulePx = options.modulePx > 0 ? options.modulePx : shortestRun(width, height, pixels, stride, true);
  const int rowPx = options.rowPx > 0 ? options.rowPx : shortestRun(width, height, pixels, stride, false);
  const int sx = std::max(1, ceilDiv(options.minModulePx, std::max(1, modulePx)));
  const int sy = std::max(1, ceilDiv(options.minRowPx, std::max(1, rowPx)));
  const int quiet = std::max(8, options.quietModules * modulePx * sx);

  const int outWidth = width * sx + 2 * quiet;
  const int outHeight = height * sy + 2 * quiet;
  std::vector<std::uint8_t> scaled(static_cast<std::size_t>(outWidth) * outHeight, 255);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* first = &scaled[static_cast<std::size_t>(quiet + y * sy) * outWidth + quiet];
    const std::uint8_t* src = pixels + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < width; ++x) std::fill_n(first + x * sx, sx, src[x]);
    for (int k = 1; k < sy; ++k) std::copy_n(first, width * sx, first + static_cast<std::size_t>(k) * outWidth);
  }

  ZXing::DecodeHints hints;
  hints.setFormats(ZXing::BarcodeFormat::PDF417);
  hints.setTryRotate(false);
  hints.setTryHarder(true);
  hints.setBinarizer(ZXing::Binarizer::FixedThreshold);
  const ZXing::ImageView view(scaled.data(), outWidth, outHeight, ZXing::ImageFormat::Lum);
  const ZXing::Result result = ZXing::ReadBarcode(view, hints);
  if (!result.isValid()) {
    why = result.error() ? result.error().msg() : std::string("no symbol found");
    if (why.empty()) why = "no symbol found";
    return std::nullopt;
  }
  const auto& bytes = result.bytes();
  Pdf417Reading reading;
  reading.bytes.assign(bytes.begin(), bytes.end());
  reading.sequenceIndex = result.sequenceIndex();
  reading.sequenceSize = result.sequenceSize();
  reading.sequenceId = result.sequenceId();
  reading.readerInit = result.readerInit();
  return reading;
}

std::optional<std::vector<std::uint8_t>> decodePdf417(int width, int height, const std::uint8_t* pixels, int rowStride,
                                                      const Pdf417ReadOptions& options, std::string& why) {
  std::optional<Pdf417Reading> reading = readPdf417(width, height, pixels, rowStride, options, why);
  if (!reading) return std::nullopt;
  return std::move(reading->bytes);
}

std::optional<std::vector<std::uint8_t>> decodePdf417(int width, int height, const std::uint8_t* pixels, int rowStride,
                                                      const Pdf417ReadOptions& options) {
  std::string why;
  return decodePdf417(width, height, pixels, rowStride, options, why);
}

std::optional<std::vector<std::uint8_t>> decodePdf417(const OneBitBmp& bmp, const Pdf417ReadOptions& options) {
  return decodePdf417(bmp.width, bmp.height, bmp.gray.data(), 0, options);
}

}  // namespace torv::test
