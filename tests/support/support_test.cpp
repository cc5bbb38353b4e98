// SPDX-License-Identifier: Apache-2.0
#include <zint.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include <gtest/gtest.h>

#include "bmp_reader.h"
#include "zxing_decode.h"

namespace {

using torv::test::decodePdf417;
using torv::test::OneBitBmp;
using torv::test::readOneBitBmp;

struct ZintSymbol {
  zint_symbol* s = ZBarcode_Create();
  ~ZintSymbol() { ZBarcode_Delete(s); }
};

// zint's raster: one RGB triple per pixel; returns it as grayscale.
std::vector<std::uint8_t> zintGray(const std::vector<std::uint8_t>& data, int& w, int& h, float scale = 0.5f) {
  ZintSymbol z;
  z.s->symbology = BARCODE_PDF417;
  z.s->option_1 = 2;
  z.s->option_2 = 4;
  z.s->scale = scale;  // 0.5 gives one pixel per module
  z.s->input_mode = DATA_MODE;
  EXPECT_LT(ZBarcode_Encode_and_Buffer(z.s, data.data(), static_cast<int>(data.size()), 0), ZINT_ERROR);
  w = z.s->bitmap_width;
  h = z.s->bitmap_height;
  std::vector<std::uint8_t> gray(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < gray.size(); ++i) gray[i] = z.s->bitmap[3 * i];
  return gray;
}

TEST(ZxingDecode, ReadsExactBytesOfSmallSymbols) {
  std::vector<std::uint8_t> payload;
  for (int i = 0; i < 256; ++i) payload.push_back(static_cast<std::uint8_t>(i));
  for (const auto& data : {std::vector<std::uint8_t>{'H', 'i'}, payload}) {
    int w = 0, h = 0;
    const auto gray = zintGray(data, w, h);
    ASSERT_GT(w, 0);
    std::string why;
    const auto got = decodePdf417(w, h, gray.data(), 0, {}, why);
    ASSERT_TRUE(got.has_value()) << why;
    EXPECT_EQ(*got, data);
  }
}

TEST(ZxingDecode, NothingForBlankImage) {
  std::vector<std::uint8_t> white(100 * 40, 255);
  EXPECT_FALSE(decodePdf417(100, 40, white.data()).has_value());
  EXPECT_FALSE(decodePdf417(0, 0, nullptr).has_value());
}

// A 10 x 2 image, palette white then black, with the file header.
std::vector<std::uint8_t> smallBmp(bool fileHeader) {
  std::vector<std::uint8_t> b;
  auto u16 = [&](unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
  };
  auto u32 = [&](unsigned v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  if (fileHeader) {
    b.push_back('B');
    b.push_back('M');
    u32(62 + 8);
    u16(0);
    u16(0);
    u32(62);
  }
  u32(40);
  u32(10);
  u32(2);
  u16(1);
  u16(1);
  u32(0);
  u32(8);
  u32(0);
  u32(0);
  u32(0);
  u32(2);
  u32(0x00FFFFFF);  // entry 0 white
  u32(0);           // entry 1 black
  // bottom row: all index 1 (black); top row: left half index 0
  const std::uint8_t bottom[4] = {0xFF, 0xC0, 0, 0};
  const std::uint8_t top[4] = {0x07, 0xC0, 0, 0};
  b.insert(b.end(), bottom, bottom + 4);
  b.insert(b.end(), top, top + 4);
  return b;
}

TEST(BmpReader, ReadsPaletteAndBottomUpRows) {
  for (bool header : {true, false}) {
    const auto b = smallBmp(header);
    OneBitBmp bmp;
    std::string why;
    ASSERT_TRUE(readOneBitBmp(b.data(), b.size(), bmp, why)) << why;
    EXPECT_EQ(bmp.hasFileHeader, header);
    EXPECT_EQ(bmp.width, 10);
    EXPECT_EQ(bmp.height, 2);
    EXPECT_EQ(bmp.stride, 4u);
    EXPECT_EQ(bmp.coloursImportant, 2u);
    EXPECT_TRUE(bmp.trailingBitsZero);
    // top row: 5 white (index 0), then black
    for (int x = 0; x < 10; ++x) EXPECT_EQ(bmp.gray[x], x < 5 ? 255 : 0) << x;
    for (int x = 0; x < 10; ++x) EXPECT_EQ(bmp.gray[10 + x], 0) << x;
    EXPECT_EQ(bmp.indices[0], 0);
  }
}

// zint's own BMP file (palette white, black) read and decoded through the helpers.
TEST(BmpReader, ReadsAnotherWritersFile) {
  ZintSymbol z;
  z.s->symbology = BARCODE_PDF417;
  z.s->scale = 0.5f;
  const std::string path = testing::TempDir() + "torv_support_zint.bmp";
  std::strncpy(z.s->outfile, path.c_str(), sizeof z.s->outfile - 1);
  const std::string data = "zint BMP";
  ASSERT_LT(ZBarcode_Encode_and_Print(z.s, reinterpret_cast<const unsigned char*>(data.data()),
                                      static_cast<int>(data.size()), 0),
            ZINT_ERROR);
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(path.c_str());
  OneBitBmp bmp;
  std::string why;
  ASSERT_TRUE(readOneBitBmp(file.data(), file.size(), bmp, why)) << why;
  EXPECT_EQ(bmp.palette[0][0], 255);  // zint's palette starts with white
  const auto got = torv::test::decodePdf417(bmp);
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(std::string(got->begin(), got->end()), data);
}

TEST(BmpReader, RejectsBrokenImages) {
  OneBitBmp bmp;
  std::string why;
  auto b = smallBmp(true);
  EXPECT_FALSE(readOneBitBmp(b.data(), b.size() - 1, bmp, why));  // size field disagrees
  b = smallBmp(false);
  EXPECT_FALSE(readOneBitBmp(b.data(), b.size() - 1, bmp, why));  // pixel data short
  EXPECT_FALSE(readOneBitBmp(b.data(), 20, bmp, why));
  auto c = b;
  c[14] = 8;  // 8 bits per pixel
  EXPECT_FALSE(readOneBitBmp(c.data(), c.size(), bmp, why));
  c = b;
  c[20] = 9;  // image size field
  EXPECT_FALSE(readOneBitBmp(c.data(), c.size(), bmp, why));
  c = b;
  c[48 + 4 + 1] = 0x01;  // a bit past the last pixel of the top row
  ASSERT_TRUE(readOneBitBmp(c.data(), c.size(), bmp, why)) << why;
  EXPECT_FALSE(bmp.trailingBitsZero);
}

}  // namespace
