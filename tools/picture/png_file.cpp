// SPDX-License-Identifier: Apache-2.0
// PNG written with zlib alone: the file is four kinds of chunk around one deflate stream, so the
// commands need no PNG library and build the same on every platform (Windows included).
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "picture_file.h"

namespace torv::tools {
namespace {

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putBigEndian(std::uint8_t* out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) *out++ = static_cast<std::uint8_t>(value >> shift);
}

// Chunks (length, type, data, CRC of type and data) to a file; a failed write ends the picture.
class ChunkWriter {
 public:
  ChunkWriter(std::FILE* out, const std::string& name) : out_(out), name_(name) {}

  void write(const char (&type)[5], const std::uint8_t* data, std::size_t size) {
    std::uint8_t head[8];
    putBigEndian(head, static_cast<std::uint32_t>(size));
    std::copy(type, type + 4, head + 4);
    uLong crc = crc32(0, head + 4, 4);
    if (size > 0) crc = crc32(crc, data, static_cast<uInt>(size));
    std::uint8_t tail[4];
    putBigEndian(tail, static_cast<std::uint32_t>(crc));
    put(head, sizeof head);
    put(data, size);
    put(tail, sizeof tail);
  }

  void put(const std::uint8_t* data, std::size_t size) {
    if (size > 0 && std::fwrite(data, 1, size, out_) != size)
      throw PictureFileError("cannot write " + name_ + " as PNG");
  }

 private:
  std::FILE* out_;
  const std::string& name_;
};

// The image data: filtered rows through one deflate stream, cut into IDAT chunks of kChunkSize.
class ImageData {
 public:
  static constexpr std::size_t kChunkSize = 8192;

  ImageData(ChunkWriter& chunks, unsigned long long pixels, unsigned long long dataSize, const std::string& name)
      : chunks_(chunks), name_(name) {
    int level = Z_DEFAULT_COMPRESSION, memLevel = 8, strategy = Z_DEFAULT_STRATEGY;
    if (pixels > (1ull << 22)) {
      // Large pictures are long runs of equal bytes: run-length matching is twice as fast there
      // and compresses as well.
      strategy = Z_RLE;
    } else if (pixels <= (1ull << 16)) {
      // A label at its usual size: the fastest level and a small compressor state cost a few
      // percent of a file of a few hundred bytes, and save a third of the processor time of a batch.
      level = 1;
      memLevel = 4;
    }
    // No larger a window than the data: a small picture's compressor stays small.
    int windowBits = 9;
    while (windowBits < 15 && (1ull << windowBits) < dataSize) ++windowBits;
    // Data that the window holds whole goes to the compressor in one piece: a call per row added
    // two fifths to the compressor's work on a label. The compressed bytes are the same, since the
    // window never slides and nothing is flushed before the end.
    if (dataSize <= (1ull << windowBits)) {
      gatheredRoom_ = static_cast<std::size_t>(dataSize);
      gathered_.reset(new std::uint8_t[gatheredRoom_]);
    }
    if (deflateInit2(&stream_, level, Z_DEFLATED, windowBits, memLevel, strategy) != Z_OK) {
      throw PictureFileError("cannot start a PNG file");
    }
  }
  ~ImageData() { deflateEnd(&stream_); }
  ImageData(const ImageData&) = delete;
  ImageData& operator=(const ImageData&) = delete;

  void add(const std::uint8_t* data, std::size_t size) {
    if (size <= gatheredRoom_ - gatheredSize_) {
      std::memcpy(gathered_.get() + gatheredSize_, data, size);
      gatheredSize_ += size;
      return;
    }
    sendGathered();
    run(data, size, Z_NO_FLUSH);
  }

  // Ends the stream and sends what is left.
  void finish() {
    sendGathered();
    run(nullptr, 0, Z_FINISH);
    if (used_ > 0) chunks_.write("IDAT", chunk_.data(), used_);
  }

 private:
  void sendGathered() {
    if (gatheredSize_ > 0) run(gathered_.get(), gatheredSize_, Z_NO_FLUSH);
    gatheredSize_ = 0;
    gatheredRoom_ = 0;
  }

  void run(const std::uint8_t* data, std::size_t size, int flush) {
    stream_.next_in = const_cast<Bytef*>(data);  // zlib's input is not const, but never written
    stream_.avail_in = static_cast<uInt>(size);
    for (;;) {
      stream_.next_out = chunk_.data() + used_;
      stream_.avail_out = static_cast<uInt>(kChunkSize - used_);
      const int status = deflate(&stream_, flush);
      if (status == Z_STREAM_ERROR) throw PictureFileError("cannot write " + name_ + " as PNG");
      used_ = kChunkSize - stream_.avail_out;
      if (used_ == kChunkSize) {
        chunks_.write("IDAT", chunk_.data(), used_);
        used_ = 0;
        continue;
      }
      if (flush == Z_FINISH ? status == Z_STREAM_END : stream_.avail_in == 0) return;
    }
  }

  ChunkWriter& chunks_;
  const std::string& name_;
  z_stream stream_{};
  std::array<std::uint8_t, kChunkSize> chunk_;  // only its first used_ bytes are read
  std::size_t used_ = 0;
  std::unique_ptr<std::uint8_t[]> gathered_;  // the whole data, where the window holds it
  std::size_t gatheredRoom_ = 0, gatheredSize_ = 0;
};

}  // namespace

// Greyscale (or a palette of the two colours), one bit per pixel, 1 for the space, no interlace.
void writePng(const Picture& picture, std::FILE* out, const std::string& name) {
  RowPacker packer(picture);
  const long long width = picture.layout.width(), height = picture.layout.height();
  if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) throw PictureFileError(name + ": too large for a PNG file");
  ChunkWriter chunks(out, name);
  static const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  chunks.put(kSignature, sizeof kSignature);

  std::vector<std::uint8_t> header;
  putBigEndian(header, static_cast<std::uint32_t>(width));
  putBigEndian(header, static_cast<std::uint32_t>(height));
  // Bit depth 1, greyscale or (in colour) palette, deflate, adaptive filters, no interlace.
  const std::uint8_t colourType = picture.blackOnWhite() ? 0 : 3;
  header.insert(header.end(), {1, colourType, 0, 0, 0});
  chunks.write("IHDR", header.data(), header.size());
  if (colourType == 3) {
    // Index 0 the bars, 1 the space: the same bits as the greyscale picture.
    const std::uint8_t palette[] = {picture.bars.red,  picture.bars.green,  picture.bars.blue,
                                    picture.space.red, picture.space.green, picture.space.blue};
    chunks.write("PLTE", palette, sizeof palette);
  }
  // Without a dpi the picture has no physical size, and says none.
  if (picture.dpi > 0) {
    const auto perMetre = static_cast<std::uint32_t>(std::lround(picture.dpi / 0.0254));
    std::vector<std::uint8_t> physical;
    putBigEndian(physical, perMetre);
    putBigEndian(physical, perMetre);
    physical.push_back(1);  // per metre
    chunks.write("pHYs", physical.data(), physical.size());
  }

  // A row that repeats the one above is sent as its difference (filter Up: all zero, next to
  // nothing once compressed); a row that starts a symbol row is sent as it is (filter None), where
  // the compressor finds the start and stop patterns and codewords it has seen before.
  const unsigned long long rowSize = 1 + packer.bytesPerRow();
  ImageData image(chunks, static_cast<unsigned long long>(width) * height, rowSize * height, name);
  std::vector<std::uint8_t> filtered(rowSize, 0);
  std::vector<std::uint8_t> repeatedRow(rowSize, 0);
  repeatedRow[0] = 2;  // Up, and every difference 0
  for (long long y = 0; y < height; ++y) {
    const std::vector<std::uint8_t>& row = packer.row(y);
    if (y > 0 && packer.repeated()) {
      image.add(repeatedRow.data(), repeatedRow.size());
    } else {
      std::copy(row.begin(), row.end(), filtered.begin() + 1);  // filtered[0] stays 0: None
      image.add(filtered.data(), filtered.size());
    }
  }
  image.finish();
  chunks.write("IEND", nullptr, 0);
}

}  // namespace torv::tools
