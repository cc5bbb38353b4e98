// SPDX-License-Identifier: Apache-2.0
#include <png.h>
#include <zlib.h>

#include <cmath>

#include "picture_file.h"

namespace torv::tools {

void writePng(const Picture& picture, std::FILE* out, const std::string& name) {
  RowPacker packer(picture);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    throw PictureFileError("cannot start a PNG file");
  }
  // libpng reports failures by longjmp; nothing with a destructor is created below this point.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw PictureFileError("cannot write " + name + " as PNG");
  }
  const auto width = static_cast<png_uint_32>(picture.layout.width());
  const auto height = static_cast<png_uint_32>(picture.layout.height());
  png_init_io(png, out);
  png_set_IHDR(png, info, width, height, 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  // Without a dpi the picture has no physical size, and says none.
  if (picture.dpi > 0) {
    const auto perMetre = static_cast<png_uint_32>(std::lround(picture.dpi / 0.0254));
    png_set_pHYs(png, info, perMetre, perMetre, PNG_RESOLUTION_METER);
  }
  // A row that repeats the one above is sent as its difference (Up: all zero, next to nothing
  // once compressed); a row that starts a symbol row is sent as it is (None), where the compressor
  // finds the start and stop patterns and codewords it has seen before. Both filters are allowed
  // from the start, as libpng sizes its buffers for them when the first row is written.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE | PNG_FILTER_UP);
  const unsigned long long pixels = static_cast<unsigned long long>(width) * height;
  if (pixels > (1ull << 22)) {
    // Large pictures are long runs of equal bytes: run-length matching is twice as fast there and
    // compresses as well.
    png_set_compression_strategy(png, Z_RLE);
  } else if (pixels <= (1ull << 16)) {
    // A label at its usual size: the fastest level and a small compressor state cost a few percent
    // of a file of a few hundred bytes, and save a third of the processor time of a batch.
    png_set_compression_level(png, 1);
    png_set_compression_mem_level(png, 4);
  }
  png_write_info(png, info);
  int filter = PNG_FILTER_NONE | PNG_FILTER_UP;
  for (png_uint_32 y = 0; y < height; ++y) {
    const std::vector<std::uint8_t>& row = packer.row(y);
    const int wanted = packer.repeated() ? PNG_FILTER_UP : PNG_FILTER_NONE;
    if (y > 0 && wanted != filter) png_set_filter(png, PNG_FILTER_TYPE_BASE, filter = wanted);
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
}

}  // namespace torv::tools
