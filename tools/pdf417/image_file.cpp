#include "image_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace torv::tools {
namespace {

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

File openForWriting(const std::string& path) {
  File file(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!file) throw ImageFileError("cannot write " + path + ": " + std::strerror(errno));
  return file;
}

void finish(File file, const std::string& path) {
  const bool failed = std::ferror(file.get()) != 0;
  if (std::fclose(file.release()) != 0 || failed) throw ImageFileError("cannot write " + path);
}

void writePng(const GrayImage& image, const std::string& path) {
  File file = openForWriting(path);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    throw ImageFileError("cannot start a PNG file");
  }
  // libpng reports failures by longjmp; nothing with a destructor is created below this point.
  std::vector<png_const_bytep> rows(static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y) rows[y] = image.pixels.data() + static_cast<std::size_t>(y) * image.width;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw ImageFileError("cannot write " + path + " as PNG");
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_rows(png, const_cast<png_bytepp>(rows.data()), static_cast<png_uint_32>(image.height));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  finish(std::move(file), path);
}

void putLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void writeBmp(const GrayImage& image, const std::string& path) {
  const std::uint32_t stride = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3u;
  const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(image.height);
  std::vector<std::uint8_t> header;
  header.push_back('B');
  header.push_back('M');
  putLittleEndian(header, 54 + pixelBytes, 4);
  putLittleEndian(header, 0, 4);
  putLittleEndian(header, 54, 4);
  putLittleEndian(header, 40, 4);
  putLittleEndian(header, static_cast<std::uint32_t>(image.width), 4);
  putLittleEndian(header, static_cast<std::uint32_t>(image.height), 4);  // bottom-up
  putLittleEndian(header, 1, 2);
  putLittleEndian(header, 24, 2);
  putLittleEndian(header, 0, 4);
  putLittleEndian(header, pixelBytes, 4);
  putLittleEndian(header, 3780, 4);  // 96 pixels per inch
  putLittleEndian(header, 3780, 4);
  putLittleEndian(header, 0, 4);
  putLittleEndian(header, 0, 4);

  File file = openForWriting(path);
  std::fwrite(header.data(), 1, header.size(), file.get());
  std::vector<std::uint8_t> row(stride, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    const std::uint8_t* gray = image.pixels.data() + static_cast<std::size_t>(y) * image.width;
    for (int x = 0; x < image.width; ++x) std::memset(&row[3 * static_cast<std::size_t>(x)], gray[x], 3);
    std::fwrite(row.data(), 1, row.size(), file.get());
  }
  finish(std::move(file), path);
}

}  // namespace

void writeImageFile(const GrayImage& image, const std::string& path, const std::string& format) {
  if (format == "png") {
    writePng(image, path);
  } else if (format == "bmp") {
    writeBmp(image, path);
  } else {
    throw ImageFileError("unknown picture format " + format);
  }
}

}  // namespace torv::tools
