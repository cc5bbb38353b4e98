// SPDX-License-Identifier: Apache-2.0
// A few encoded symbols read back by an independent reader (zxing-cpp).
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include "test_support.h"

namespace torv::pdf417 {
namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Reads a BMP file of the encoder into a grey image scaled by sx, sy with a white margin.
std::vector<std::uint8_t> toGrey(const std::vector<std::uint8_t>& file, int sx, int sy, int margin, int& w, int& h) {
  const std::uint32_t width = le32(file, 18);
  const std::uint32_t height = le32(file, 22);
  const std::uint32_t stride = ((width + 7) / 8 + 3) / 4 * 4;
  w = static_cast<int>(width) * sx + 2 * margin;
  h = static_cast<int>(height) * sy + 2 * margin;
  std::vector<std::uint8_t> grey(static_cast<std::size_t>(w) * h, 255);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = file.data() + 62 + (height - 1 - y) * stride;  // bottom-up
    for (std::uint32_t x = 0; x < width; ++x) {
      const bool white = (row[x / 8] >> (7 - x % 8)) & 1;
      for (int dy = 0; dy < sy; ++dy) {
        for (int dx = 0; dx < sx; ++dx) {
          grey[(margin + y * sy + dy) * w + margin + x * sx + dx] = white ? 255 : 0;
        }
      }
    }
  }
  return grey;
}

// The reader wants a quiet zone and rows of a few pixels: flat symbols with one-pixel
// rows are stretched vertically on a second try.
std::string decode(const std::vector<std::uint8_t>& file) {
  for (int sy : {2, 8}) {
    int w = 0;
    int h = 0;
    const std::vector<std::uint8_t> grey = toGrey(file, 2, sy, 40, w, h);
    const ZXing::ImageView image(grey.data(), w, h, ZXing::ImageFormat::Lum);
    const auto hints = ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::PDF417).setTryRotate(false);
    const ZXing::Result result = ZXing::ReadBarcode(image, hints);
    if (result.isValid()) {
      const ZXing::ByteArray& bytes = result.bytes();
      return std::string(bytes.begin(), bytes.end());
    }
  }
  return "<no symbol>";
}

struct Case {
  std::string data;
  int level;  // -1 automatic
  int rows;
  int columns;
  int moduleWidth;
  const char* rowHeight;
};

void expectDecodes(const Case& c) {
  Encoder enc;
  if (c.level >= 0) enc.setEccLevel(c.level);
  if (c.rows != 0 || c.columns != 0) {
    enc.setSizingMode(SIZING_FIXED);
    ASSERT_EQ(enc.setRowsColumns(c.rows, c.columns), 1);
  } else {
    enc.setAspectRatio("1:2");
  }
  ASSERT_EQ(enc.setRowHeightRatio(c.rowHeight), 1);
  ASSERT_EQ(enc.setBitmapWriter(c.moduleWidth, true), 1);
  ASSERT_EQ(test::encodeText(enc, c.data), 1);
  int rc = -1;
  const std::vector<std::uint8_t> file = test::writeBitmapFile(enc, &rc);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(decode(file), c.data) << "level " << c.level << " rows " << c.rows << " columns " << c.columns << " width "
                                  << c.moduleWidth << " height " << c.rowHeight << " -> " << enc.symbol().rows << "x"
                                  << enc.symbol().columns;
}

TEST(ReaderSmoke, TypicalPayloadsDecode) {
  const std::vector<Case> cases = {
      {"PDF417", 1, 0, 0, 1, "3"},
      {"Hello, World! PDF417 test 0123456789", 2, 0, 8, 1, "4"},
      {"12345678901234567890123456789012345678901234567890", -1, 0, 0, 2, "3"},
      {std::string("Mixed\x01\x02 bytes \xFF and text 00123 ~{}\t\r\n", 34), 3, 0, 5, 1, "3:1"},
      // (An empty message is a valid symbol, but the reader reports no content for it.)
      {std::string("ABCDE\x80") + "FGHIJ", 4, 10, 0, 3, "2"},
      {"aBcDeF,,,,X lower UPPER mixed#$% punct;<>", -1, 0, 3, 1, "3"},
  };
  for (const Case& c : cases) expectDecodes(c);
}

// Random payloads under random options. PDF417_SMOKE_COUNT raises the count for a long run.
TEST(ReaderSmoke, RandomPayloadsDecode) {
  Encoder enc;
  const char* countText = std::getenv("PDF417_SMOKE_COUNT");
  const int count = countText != nullptr ? std::atoi(countText) : 40;
  std::mt19937 random(417);
  const std::string alphabet = "ABCxyz 0123456789,.;:!?#\t\r\n";
  for (int i = 0; i < count; ++i) {
    std::string data;
    const int kind = i % 4;
    const int length = static_cast<int>(random() % (kind == 1 ? 2000 : 400));
    for (int j = 0; j < length; ++j) {
      if (kind == 0) {
        data += static_cast<char>(random() % 256);
      } else if (kind == 1) {
        data += static_cast<char>('0' + random() % 10);
      } else {
        // Runs of one kind, switching often.
        const int run = static_cast<int>(random() % 20);
        const int sort = static_cast<int>(random() % 3);
        for (int k = 0; k < run && j < length; ++k, ++j) {
          if (sort == 0) data += static_cast<char>('0' + random() % 10);
          if (sort == 1) data += alphabet[random() % alphabet.size()];
          if (sort == 2) data += static_cast<char>(random() % 256);
        }
      }
    }
    Case c{data, static_cast<int>(random() % 10) - 1, 0, 0, 1 + static_cast<int>(random() % 4), "3"};
    const int sizing = static_cast<int>(random() % 3);
    if (sizing == 1) c.columns = 1 + static_cast<int>(random() % 30);
    if (sizing == 2) c.rows = 3 + static_cast<int>(random() % 88);
    static const char* heights[] = {"3", "2", "4:2", "5:3", "1"};
    c.rowHeight = heights[random() % 5];
    enc.reset();
    if (c.level >= 0) enc.setEccLevel(c.level);
    if (sizing != 0) {
      enc.setSizingMode(SIZING_FIXED);
      enc.setRowsColumns(c.rows, c.columns);
    }
    if (test::encodeText(enc, data) != 1) continue;  // does not fit these options
    std::int32_t size = 0;
    if (enc.write(nullptr, &size) != 0) continue;
    if (data.empty()) continue;  // the reader reports no content for an empty message
    expectDecodes(c);
  }
}

}  // namespace
}  // namespace torv::pdf417
