// SPDX-License-Identifier: Apache-2.0
#include "picture_file.h"

#include <algorithm>
#include <array>

namespace torv::tools {
namespace {

// Appends runs of equal pixels to a packed row, most significant bit first, 32 bits at a time.
class BitAppender {
 public:
  explicit BitAppender(std::uint8_t* out) : out_(out) {}

  void run(bool white, long long pixels) {
    const std::uint64_t fill = white ? ~std::uint64_t{0} : 0;
    while (pixels > 0) {
      const unsigned take = pixels < 32 ? static_cast<unsigned>(pixels) : 32u;
      bits_ = bits_ << take | fill >> (64 - take);
      count_ += take;
      pixels -= take;
      if (count_ >= 32) putWord();
    }
  }

  // Modules all `width` pixels wide (1 to 32), white where the module is 0, without looking for
  // runs (a symbol's are mostly one or two modules long). Up to 8 pixels wide, four modules at a
  // time through `quads`: the pixels of four modules by their darkness, the first in the top bit.
  void modules(const std::uint8_t* dark, int count, unsigned width, const std::array<std::uint32_t, 16>& quads) {
    int i = 0;
    if (width <= 8) {
      for (; i + 4 <= count; i += 4) {
        const unsigned quad = (dark[i] != 0 ? 8u : 0u) | (dark[i + 1] != 0 ? 4u : 0u) | (dark[i + 2] != 0 ? 2u : 0u) |
                              (dark[i + 3] != 0 ? 1u : 0u);
        bits_ = bits_ << (4 * width) | quads[quad];
        count_ += 4 * width;
        if (count_ >= 32) putWord();
      }
    }
    const std::uint64_t white = (std::uint64_t{2} << (width - 1)) - 1;
    for (; i < count; ++i) {
      bits_ = bits_ << width | (white & (std::uint64_t{0} - (dark[i] == 0)));
      count_ += width;
      if (count_ >= 32) putWord();
    }
  }

  void putWord() {
    count_ -= 32;
    const auto word = static_cast<std::uint32_t>(bits_ >> count_);
    out_[0] = static_cast<std::uint8_t>(word >> 24);
    out_[1] = static_cast<std::uint8_t>(word >> 16);
    out_[2] = static_cast<std::uint8_t>(word >> 8);
    out_[3] = static_cast<std::uint8_t>(word);
    out_ += 4;
  }

  // The bytes begun; the last byte's unused bits are 0.
  void finish() {
    while (count_ >= 8) {
      count_ -= 8;
      *out_++ = static_cast<std::uint8_t>(bits_ >> count_);
    }
    if (count_ > 0) *out_ = static_cast<std::uint8_t>(bits_ << (8 - count_));
  }

 private:
  std::uint8_t* out_;
  std::uint64_t bits_ = 0;
  unsigned count_ = 0;  // bits not yet written, below 32 between runs
};

// Modules of any widths (starts[c] is where column c begins), equal ones side by side as one run.
void appendRuns(BitAppender& row, const std::uint8_t* modules, int columns, const int* starts) {
  for (int column = 0; column < columns;) {
    const bool dark = modules[column] != 0;
    int end = column + 1;
    while (end < columns && (modules[end] != 0) == dark) ++end;
    row.run(!dark, starts[end] - starts[column]);
    column = end;
  }
}

}  // namespace

RowPacker::RowPacker(const Picture& picture)
    : picture_(picture), bits_(static_cast<std::size_t>((picture.layout.width() + 7) / 8), 0) {
  const std::vector<int>& starts = picture.layout.columnStarts;
  const int width = starts.size() > 1 ? starts[1] - starts[0] : 0;
  for (std::size_t c = 1; c + 1 < starts.size() && width > 0; ++c) {
    if (starts[c + 1] - starts[c] != width) return;
  }
  if (width < 1 || width > 32) return;
  moduleWidth_ = static_cast<unsigned>(width);
  if (width > 8) return;
  const std::uint32_t white = (2u << (width - 1)) - 1;
  for (unsigned quad = 0; quad < 16; ++quad) {
    std::uint32_t pixels = 0;
    for (unsigned k = 0; k < 4; ++k) pixels = pixels << width | ((quad >> (3 - k) & 1u) != 0 ? 0u : white);
    quads_[quad] = pixels;
  }
}

const std::vector<std::uint8_t>& RowPacker::row(long long y) {
  const DeviceLayout& layout = picture_.layout;
  const long long inSymbol = y - layout.quiet;
  int moduleRow = -1;
  if (inSymbol >= 0 && inSymbol < layout.symbolHeight()) {
    const int packed = packedModuleRow_;
    if (packed >= 0 && inSymbol >= layout.rowStarts[packed] && inSymbol < layout.rowStarts[packed + 1]) {
      moduleRow = packed;  // still in the row packed last, as most rows are
    } else {
      // Rows of no height share their start with the next row; upper_bound finds the drawn one.
      const auto after = std::upper_bound(layout.rowStarts.begin(), layout.rowStarts.end(), inSymbol);
      moduleRow = static_cast<int>(after - layout.rowStarts.begin()) - 1;
    }
  }
  repeated_ = moduleRow == packedModuleRow_;
  if (repeated_) return bits_;
  BitAppender row(bits_.data());
  if (moduleRow < 0) {
    row.run(true, layout.width());
  } else {
    // Read through local pointers: the packed bytes written meanwhile could alias the vectors.
    const int columns = picture_.matrix.columns;
    const std::uint8_t* modules = picture_.matrix.dark.data() + static_cast<std::size_t>(moduleRow) * columns;
    const int* starts = layout.columnStarts.data();
    row.run(true, layout.quiet + starts[0]);
    if (moduleWidth_ > 0) {
      row.modules(modules, columns, moduleWidth_, quads_);
    } else {
      appendRuns(row, modules, columns, starts);
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
