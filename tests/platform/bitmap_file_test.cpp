// SPDX-License-Identifier: Apache-2.0
#include "platform/bitmap_file.h"

#include <functional>

#include <gtest/gtest.h>

#include "bitmap_builder.h"

namespace torv::platform {
namespace {

using namespace torv::platform::testing;

const std::vector<std::string> kArrow = {
    "#.........",
    "##........",
    "###.......",
};

std::string pixelsOf(const MonochromeBitmap& bitmap) {
  std::string text;
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) text += bitmap.bit(bitmap.row(y), x) == 0 ? '#' : '.';
    text += '\n';
  }
  return text;
}

TEST(BitmapFile, ReadsBottomUpAndTopDownRowsTopRowFirst) {
  for (bool topDown : {false, true}) {
    const std::vector<std::uint8_t> file = makeBitmapFile(kArrow, topDown);
    const std::optional<MonochromeBitmap> bitmap = decodeBitmapFile(file.data(), file.size());
    ASSERT_TRUE(bitmap) << topDown;
    EXPECT_EQ(bitmap->width, 10);
    EXPECT_EQ(bitmap->height, 3);
    EXPECT_EQ(bitmap->stride, 4u);
    EXPECT_EQ(pixelsOf(*bitmap), "#.........\n##........\n###.......\n");
    EXPECT_EQ(bitmap->palette[0].red, 0);
    EXPECT_EQ(bitmap->palette[1].blue, 255);
  }
}

TEST(BitmapFile, AcceptsAFileInsideALargerBlock) {
  std::vector<std::uint8_t> file = makeBitmapFile(kArrow);
  file.resize(file.size() + 100, 0xCC);
  EXPECT_TRUE(decodeBitmapFile(file.data(), file.size()));
}

TEST(BitmapFile, AcceptsOptionalHeaderFieldsAndLongerInfoHeaders) {
  std::vector<std::uint8_t> file = makeBitmapFile(kArrow);
  putU32(file, kImageSize, 0);  // allowed for uncompressed images
  putU32(file, kColoursUsed, 2);
  putU32(file, kColoursImportant, 0);
  putU32(file, kResolutionX, 3780);
  EXPECT_TRUE(decodeBitmapFile(file.data(), file.size()));

  // A 108-byte header moves the palette and the pixels by 68 bytes.
  std::vector<std::uint8_t> longer = makeBitmapFile(kArrow);
  longer.insert(longer.begin() + 54, 68, 0);
  putU32(longer, kInfoSize, 108);
  putU32(longer, kPixelOffset, 62 + 68);
  putU32(longer, kFileSize, static_cast<std::uint32_t>(longer.size()));
  const auto bitmap = decodeBitmapFile(longer.data(), longer.size());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(pixelsOf(*bitmap), "#.........\n##........\n###.......\n");
}

TEST(BitmapFile, OneColourPaletteReadsTheMissingEntryAsBlack) {
  std::vector<std::uint8_t> file = makeBitmapFile(kArrow);
  putU32(file, kColoursUsed, 1);
  putU32(file, kColoursImportant, 1);
  file[54] = 10;  // entry 0 blue
  const auto bitmap = decodeBitmapFile(file.data(), file.size());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->palette[0].blue, 10);
  EXPECT_EQ(bitmap->palette[1].blue, 0);
}

TEST(BitmapFile, RefusesEveryMalformedField) {
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> spoil;
  };
  const std::vector<Case> cases = {
      {"signature", [](auto& f) { f[1] = 'A'; }},
      {"file size past the block", [](auto& f) { putU32(f, kFileSize, static_cast<std::uint32_t>(f.size() + 1)); }},
      {"file size short of the pixels",
       [](auto& f) { putU32(f, kFileSize, static_cast<std::uint32_t>(f.size() - 1)); }},
      {"reserved 1", [](auto& f) { putU16(f, kReserved1, 1); }},
      {"reserved 2", [](auto& f) { putU16(f, kReserved2, 1); }},
      {"pixel offset inside the palette", [](auto& f) { putU32(f, kPixelOffset, 61); }},
      {"pixel offset past the end", [](auto& f) { putU32(f, kPixelOffset, 63); }},
      {"pixel offset huge", [](auto& f) { putU32(f, kPixelOffset, 0xFFFFFFF0u); }},
      {"core header", [](auto& f) { putU32(f, kInfoSize, 12); }},
      {"odd header", [](auto& f) { putU32(f, kInfoSize, 41); }},
      {"header past the file", [](auto& f) { putU32(f, kInfoSize, 124); }},
      {"zero width", [](auto& f) { putU32(f, kWidth, 0); }},
      {"negative width", [](auto& f) { putU32(f, kWidth, static_cast<std::uint32_t>(-10)); }},
      {"huge width", [](auto& f) { putU32(f, kWidth, 0x7FFFFFFF); }},
      {"zero height", [](auto& f) { putU32(f, kHeight, 0); }},
      {"most negative height", [](auto& f) { putU32(f, kHeight, 0x80000000u); }},
      {"too many rows", [](auto& f) { putU32(f, kHeight, 4); }},
      {"two planes", [](auto& f) { putU16(f, kPlanes, 2); }},
      {"eight bits", [](auto& f) { putU16(f, kBitsPerPixel, 8); }},
      {"compressed", [](auto& f) { putU32(f, kCompression, 1); }},
      {"image size too small", [](auto& f) { putU32(f, kImageSize, 11); }},
      {"negative resolution", [](auto& f) { putU32(f, kResolutionY, static_cast<std::uint32_t>(-1)); }},
      {"three colours", [](auto& f) { putU32(f, kColoursUsed, 3); }},
      {"important past used", [](auto& f) { putU32(f, kColoursImportant, 3); }},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> file = makeBitmapFile(kArrow);
    c.spoil(file);
    EXPECT_FALSE(decodeBitmapFile(file.data(), file.size())) << c.what;
  }
}

TEST(BitmapFile, RefusesTruncatedAndEmptyBlocks) {
  const std::vector<std::uint8_t> file = makeBitmapFile(kArrow);
  for (std::size_t size = 0; size < file.size(); ++size) {
    // A fresh copy of exactly `size` bytes, so AddressSanitizer sees any read past it.
    const std::vector<std::uint8_t> part(file.begin(), file.begin() + size);
    EXPECT_FALSE(decodeBitmapFile(part.data(), part.size())) << size;
  }
  EXPECT_FALSE(decodeBitmapFile(nullptr, 1000));
}

TEST(BitmapFile, SurvivesEveryCorruptedHeaderByte) {
  const std::vector<std::uint8_t> good = makeBitmapFile(kArrow);
  for (std::size_t at = 0; at < 62; ++at) {
    for (int value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      std::vector<std::uint8_t> file = good;
      file[at] = static_cast<std::uint8_t>(value);
      const auto bitmap = decodeBitmapFile(file.data(), file.size());
      if (bitmap) {
        ASSERT_LE(bitmap->stride * bitmap->height, file.size());
        ASSERT_EQ(bitmap->rows.size(), bitmap->stride * bitmap->height);
      }
    }
  }
}

}  // namespace
}  // namespace torv::platform
