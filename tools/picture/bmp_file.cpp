// SPDX-License-Identifier: Apache-2.0
#include <cmath>
#include <cstdint>
#include <vector>

#include "picture_file.h"

namespace torv::tools {
namespace {

void putLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

// One bit per pixel, palette bars then space (black then white), rows bottom-up and padded to 4 bytes.
void writeBmp(const Picture& picture, std::FILE* out, const std::string& name) {
  RowPacker packer(picture);
  const long long height = picture.layout.height();
  const std::size_t stride = (packer.bytesPerRow() + 3) & ~std::size_t{3};
  const unsigned long long pixelBytes = static_cast<unsigned long long>(stride) * height;
  constexpr std::uint32_t kOffset = 14 + 40 + 8;
  if (pixelBytes + kOffset > 0xFFFFFFFFull) throw PictureFileError(name + ": too large for a BMP file");
  const auto perMetre = static_cast<std::uint32_t>(std::lround(picture.dpi / 0.0254));

  std::vector<std::uint8_t> header{'B', 'M'};
  putLittleEndian(header, static_cast<std::uint32_t>(kOffset + pixelBytes), 4);
  putLittleEndian(header, 0, 4);
  putLittleEndian(header, kOffset, 4);
  putLittleEndian(header, 40, 4);
  putLittleEndian(header, static_cast<std::uint32_t>(picture.layout.width()), 4);
  putLittleEndian(header, static_cast<std::uint32_t>(height), 4);
  putLittleEndian(header, 1, 2);  // planes
  putLittleEndian(header, 1, 2);  // bits per pixel
  putLittleEndian(header, 0, 4);  // no compression
  putLittleEndian(header, static_cast<std::uint32_t>(pixelBytes), 4);
  putLittleEndian(header, perMetre, 4);
  putLittleEndian(header, perMetre, 4);
  putLittleEndian(header, 2, 4);  // colours used
  putLittleEndian(header, 2, 4);
  const auto bgr = [](Colour c) { return std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 | c.blue; };
  putLittleEndian(header, bgr(picture.bars), 4);   // black unless coloured
  putLittleEndian(header, bgr(picture.space), 4);  // white unless coloured
  std::fwrite(header.data(), 1, header.size(), out);

  std::vector<std::uint8_t> padded(stride, 0);
  for (long long y = height - 1; y >= 0 && std::ferror(out) == 0; --y) {
    const std::vector<std::uint8_t>& bits = packer.row(y);
    std::copy(bits.begin(), bits.end(), padded.begin());
    std::fwrite(padded.data(), 1, stride, out);
  }
}

}  // namespace torv::tools
