// SPDX-License-Identifier: Apache-2.0
#include "picture_file.h"

#include <algorithm>

namespace torv::tools {
namespace {

// Appends runs of equal pixels to a packed row, most significant bit first.
class BitAppender {
 public:
  explicit BitAppender(std::uint8_t* out) : out_(out) {}

  void run(bool white, long long pixels) {
    while (pixels > 0) {
      const unsigned take = pixels < 32 ? static_cast<unsigned>(pixels) : 32u;
      bits_ = bits_ << take | (white ? (std::uint64_t{1} << take) - 1 : 0);
      count_ += take;
      pixels -= take;
      while (count_ >= 8) {
        count_ -= 8;
        *out_++ = static_cast<std::uint8_t>(bits_ >> count_);
      }
    }
  }

  // The last byte's unused bits are 0.
  void finish() {
    if (count_ > 0) *out_ = static_cast<std::uint8_t>(bits_ << (8 - count_));
  }

 private:
  std::uint8_t* out_;
  std::uint64_t bits_ = 0;
  unsigned count_ = 0;
};

}  // namespace

RowPacker::RowPacker(const Picture& picture)
    : picture_(picture), bits_(static_cast<std::size_t>((picture.layout.width() + 7) / 8), 0) {}

const std::vector<std::uint8_t>& RowPacker::row(long long y) {
  const DeviceLayout& layout = picture_.layout;
  const long long inSymbol = y - layout.quiet;
  int moduleRow = -1;
  if (inSymbol >= 0 && inSymbol < layout.symbolHeight()) {
    // Rows of no height share their start with the next row; upper_bound finds the drawn one.
    const auto after = std::upper_bound(layout.rowStarts.begin(), layout.rowStarts.end(), inSymbol);
    moduleRow = static_cast<int>(after - layout.rowStarts.begin()) - 1;
  }
  repeated_ = moduleRow == packedModuleRow_;
  if (repeated_) return bits_;
  BitAppender row(bits_.data());
  if (moduleRow < 0) {
    row.run(true, layout.width());
  } else {
    row.run(true, layout.quiet + layout.columnStarts.front());
    for (int column = 0; column < picture_.matrix.columns;) {
      // Equal modules side by side make one run.
      const bool dark = picture_.matrix.isDark(column, moduleRow);
      int end = column + 1;
      while (end < picture_.matrix.columns && picture_.matrix.isDark(end, moduleRow) == dark) ++end;
      row.run(!dark, layout.columnStarts[end] - layout.columnStarts[column]);
      column = end;
    }
    row.run(true, layout.width() - layout.quiet - layout.symbolWidth());
  }
  row.finish();
  packedModuleRow_ = moduleRow;
  return bits_;
}

void forEachDarkRun(const Picture& picture, int row, const std::function<void(DarkRun)>& visit) {
  const DeviceLayout& layout = picture.layout;
  const ModuleMatrix& matrix = picture.matrix;
  if (layout.rowStarts[row + 1] == layout.rowStarts[row]) return;
  for (int column = 0; column < matrix.columns;) {
    if (!matrix.isDark(column, row)) {
      ++column;
      continue;
    }
    const int first = column;
    while (column < matrix.columns && matrix.isDark(column, row)) ++column;
    const int width = layout.columnStarts[column] - layout.columnStarts[first];
    if (width > 0) visit(DarkRun{layout.quiet + layout.columnStarts[first], width});
  }
}

double pointsPerPixel(const Picture& picture) {
  return picture.physicalSize && picture.dpi > 0 ? 72.0 / picture.dpi : 0.75;
}

void writePicture(const Picture& picture, const std::string& format, std::FILE* out, const std::string& name) {
  if (format == "png") {
    writePng(picture, out, name);
  } else if (format == "bmp") {
    writeBmp(picture, out, name);
  } else if (format == "svg") {
    writeSvg(picture, out, name);
  } else if (format == "eps") {
    writeEps(picture, out, name);
  } else if (format == "pdf") {
    writePdf(picture, out, name);
  } else {
    throw PictureFileError("unknown picture format " + format);
  }
  if (std::ferror(out) != 0) throw PictureFileError("cannot write " + name);
}

}  // namespace torv::tools
