// SPDX-License-Identifier: Apache-2.0
// Reads back the pictures of a batch with zxing-cpp and compares each with its line, as text.
//
//   pdf417_read_back ITEMS PATTERN
//
// ITEMS has one item per line; PATTERN names item N's PNG with a printf %d (e.g. out/l-%05d.png).
// Prints "N of M read back exactly" and the lines that did not; exits 0 only when all did.
#define ZX_USE_UTF8
#include <png.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <ZXing/ReadBarcode.h>

namespace {

bool readGray(const std::string& path, int& width, int& height, std::vector<std::uint8_t>& pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_GRAY;
  pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return false;
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pdf417_read_back ITEMS PATTERN\n");
    return 2;
  }
  std::ifstream items(argv[1], std::ios::binary);
  if (!items) {
    std::fprintf(stderr, "pdf417_read_back: cannot open %s\n", argv[1]);
    return 2;
  }
  const std::string pattern = argv[2];
  long total = 0, exact = 0;
  std::vector<std::uint8_t> pixels;
  for (std::string line; std::getline(items, line);) {
    ++total;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<char> name(pattern.size() + 32);
    std::snprintf(name.data(), name.size(), pattern.c_str(), static_cast<int>(total));
    int width = 0, height = 0;
    std::string got = "<no picture>";
    if (readGray(name.data(), width, height, pixels)) {
      const ZXing::ImageView view(pixels.data(), width, height, ZXing::ImageFormat::Lum);
      const ZXing::Result result =
          ZXing::ReadBarcode(view, ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::PDF417).setTryHarder(true));
      got = result.isValid() ? result.text() : "<unread>";
    }
    if (got == line) {
      ++exact;
    } else {
      std::printf("line %ld: read %s, expected %s\n", total, got.c_str(), line.c_str());
    }
  }
  std::printf("%ld of %ld read back exactly\n", exact, total);
  return exact == total && total > 0 ? 0 : 1;
}
