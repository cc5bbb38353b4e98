#include "picture_file.h"

#include <algorithm>

namespace torv::tools {
namespace {

void clearBits(std::vector<std::uint8_t>& bits, long long from, long long to) {
  for (; from < to && (from & 7) != 0; ++from) bits[from >> 3] &= static_cast<std::uint8_t>(~(0x80u >> (from & 7)));
  for (; from + 8 <= to; from += 8) bits[from >> 3] = 0;
  for (; from < to; ++from) bits[from >> 3] &= static_cast<std::uint8_t>(~(0x80u >> (from & 7)));
}

}  // namespace

RowPacker::RowPacker(const Picture& picture)
    : picture_(picture), bits_(static_cast<std::size_t>((picture.layout.width() + 7) / 8), 0xFF) {}

const std::vector<std::uint8_t>& RowPacker::row(long long y) {
  const DeviceLayout& layout = picture_.layout;
  const long long inSymbol = y - layout.quiet;
  int moduleRow = -1;
  if (inSymbol >= 0 && inSymbol < layout.symbolHeight()) {
    // Rows of no height share their start with the next row; upper_bound finds the drawn one.
    const auto after = std::upper_bound(layout.rowStarts.begin(), layout.rowStarts.end(), inSymbol);
    moduleRow = static_cast<int>(after - layout.rowStarts.begin()) - 1;
  }
  if (moduleRow == packedModuleRow_) return bits_;
  std::fill(bits_.begin(), bits_.end(), 0xFF);
  clearBits(bits_, layout.width(), static_cast<long long>(bits_.size()) * 8);  // padding bits stay 0
  if (moduleRow >= 0) {
    for (int column = 0; column < picture_.matrix.columns; ++column) {
      if (!picture_.matrix.isDark(column, moduleRow)) continue;
      clearBits(bits_, layout.quiet + layout.columnStarts[column], layout.quiet + layout.columnStarts[column + 1]);
    }
  }
  packedModuleRow_ = moduleRow;
  return bits_;
}

void writePicture(const Picture& picture, const std::string& format, std::FILE* out, const std::string& name) {
  if (format == "png") {
    writePng(picture, out, name);
  } else if (format == "bmp") {
    writeBmp(picture, out, name);
  } else if (format == "svg") {
    writeSvg(picture, out, name);
  } else {
    throw PictureFileError("unknown picture format " + format);
  }
  if (std::ferror(out) != 0) throw PictureFileError("cannot write " + name);
}

}  // namespace torv::tools
