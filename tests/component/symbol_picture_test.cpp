// SPDX-License-Identifier: Apache-2.0
// How the instance's attributes configure the encoder, seen in the bitmap it writes.
#include "component/symbol_picture.h"

#include <string>

#include <gtest/gtest.h>

namespace torv::component {
namespace {

TorvPdf417Comp instanceWith(int rows, int columns, int ecc, int xScale, int yScale) {
  TorvPdf417Comp instance;
  instance.rows = rows;
  instance.columns = columns;
  instance.eccLevel = ecc;
  instance.xScale = xScale;
  instance.yScale = yScale;
  return instance;
}

int symbolWidth(int columns, int moduleWidth) { return (17 * columns + 69) * moduleWidth; }

// Height of one symbol row in pixels: the smallest run of identical pixel rows.
int rowHeight(const platform::MonochromeBitmap& bitmap) {
  int best = bitmap.height, run = 1;
  for (int y = 1; y <= bitmap.height; ++y) {
    const bool same = y < bitmap.height && std::equal(bitmap.row(y), bitmap.row(y) + bitmap.stride, bitmap.row(y - 1));
    if (same) {
      ++run;
    } else {
      best = std::min(best, run);
      run = 1;
    }
  }
  return best;
}

std::string pixels(const std::unique_ptr<platform::Picture>& picture) {
  const auto& b = picture->bitmap();
  return std::to_string(b.width) + "x" + std::to_string(b.height) + ":" + std::string(b.rows.begin(), b.rows.end());
}

const char16_t* const kText = u"PDF417 component 0123456789";

TEST(SymbolPicture, DefaultsGiveEightColumnsAndOnePixelModulesAndRows) {
  const auto picture = makeSymbolPicture(TorvPdf417Comp(), kText);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->bitmap().width, symbolWidth(8, 1));
  EXPECT_EQ(rowHeight(picture->bitmap()), 1);
}

TEST(SymbolPicture, ScalesSetModuleWidthAndRowHeight) {
  struct Case {
    int xScale, yScale, moduleWidth, rowPixels;
  };
  for (const Case& c : {Case{2, 3, 2, 4}, Case{1, 25, 1, 25}, Case{1, 26, 1, 3}, Case{0, 1, 1, 3}, Case{0, 5, 1, 3},
                        Case{4, 1, 4, 4}, Case{20, 6, 20, 25}, Case{20, 7, 20, 60}}) {
    const auto picture = makeSymbolPicture(instanceWith(6, 4, 1, c.xScale, c.yScale), kText);
    ASSERT_TRUE(picture) << c.xScale << "/" << c.yScale;
    EXPECT_EQ(picture->bitmap().width, symbolWidth(4, c.moduleWidth)) << c.xScale << "/" << c.yScale;
    EXPECT_EQ(picture->bitmap().height, 6 * c.rowPixels) << c.xScale << "/" << c.yScale;
  }
}

// The five attributes as encoder options: each by its low 16 bits, refused values keep the fallbacks.
TEST(SymbolPicture, OptionsForTheAttributes) {
  struct Case {  // the attributes; then fixed sizing, rows, columns, level (-1 automatic), row height, writer
    int rows, columns, ecc, xScale, yScale;
    bool fixed;
    int expectRows, expectColumns, level, rowHeightNum, rowHeightDen, moduleWidth;
    bool writer;
  };
  for (const Case& c : {
           Case{0, 8, 0, 1, 1, true, 0, 8, 0, 1, 1, 1, true},            // the defaults
           Case{0, 0, 3, 1, 1, false, 90, 30, 3, 1, 1, 1, true},         // neither: bounded 90 x 30
           Case{65536, 0, 0, 1, 1, false, 90, 30, 0, 1, 1, 1, true},     // 65536 rows count as 0
           Case{10, 65536 + 5, 0, 1, 1, true, 10, 5, 0, 1, 1, 1, true},  // low 16 bits of columns
           Case{2, 8, 0, 1, 1, true, 58, 16, 0, 1, 1, 1, true},          // refused pair: 58 x 16
           Case{0, 8, 9, 1, 1, true, 0, 8, -1, 1, 1, 1, true},           // above 8: automatic
           Case{0, 8, -1, 1, 1, true, 0, 8, -1, 1, 1, 1, true},          // 65535: automatic
           Case{0, 8, 65536 + 3, 1, 1, true, 0, 8, 3, 1, 1, 1, true},    // low 16 bits of the level
           Case{0, 8, 0, 2, 3, true, 0, 8, 0, 4, 2, 2, true},            // row height 4:2
           Case{0, 8, 0, 1, 26, true, 0, 8, 0, 3, 1, 1, true},           // 26:1 refused: 3:1 stays
           Case{0, 8, 0, 0, 1, true, 0, 8, 0, 3, 1, 0, true},            // "0:0" refused
           Case{0, 8, 0, 21, 1, true, 0, 8, 0, 21, 21, 0, false},        // module width 21 refused
           Case{0, 8, 0, -1, 1, true, 0, 8, 0, 3, 1, 0, false},          // 65535 refused
           Case{0, 8, 0, 65536 + 2, 1, true, 0, 8, 0, 3, 1, 2, true},    // low 16 bits of XSCALE
       }) {
    const EncoderSettings s = optionsFor(instanceWith(c.rows, c.columns, c.ecc, c.xScale, c.yScale));
    const std::string where = std::to_string(c.rows) + "/" + std::to_string(c.columns) + "/" + std::to_string(c.ecc) +
                              "/" + std::to_string(c.xScale) + "/" + std::to_string(c.yScale);
    EXPECT_EQ(s.options.sizingMode == pdf417::SIZING_FIXED, c.fixed) << where;
    EXPECT_EQ(s.options.rows, c.expectRows) << where;
    EXPECT_EQ(s.options.columns, c.expectColumns) << where;
    EXPECT_EQ(s.options.eccExplicit ? s.options.eccLevel : -1, c.level) << where;
    EXPECT_EQ(s.options.aspect, 50) << where;
    EXPECT_EQ(s.options.rowHeightNum, c.rowHeightNum) << where;
    EXPECT_EQ(s.options.rowHeightDen, c.rowHeightDen) << where;
    EXPECT_EQ(s.bitmap.installed, c.writer) << where;
    EXPECT_EQ(s.bitmap.moduleWidth, c.moduleWidth) << where;
  }
  EXPECT_FALSE(makeSymbolPicture(instanceWith(0, 8, 0, 21, 1), kText));  // no writer, no picture
}

TEST(SymbolPicture, EveryCallStartsFromAReset) {
  const std::string first = pixels(makeSymbolPicture(instanceWith(0, 5, 2, 2, 2), kText));
  makeSymbolPicture(instanceWith(30, 10, 8, 20, 25), u"something else entirely");
  makeSymbolPicture(instanceWith(0, 8, 0, 21, 1), kText);
  EXPECT_EQ(pixels(makeSymbolPicture(instanceWith(0, 5, 2, 2, 2), kText)), first);
}

TEST(SymbolPicture, BitmapsBeyondTheOldFixedBlockAreDrawn) {
  // 10 columns x 30 rows, modules 3 px, rows 5 px: a 13,862-byte file, more than 10,240.
  const auto picture = makeSymbolPicture(instanceWith(30, 10, 2, 3, 3), kText);
  ASSERT_TRUE(picture);
  const auto& bitmap = picture->bitmap();
  EXPECT_EQ(bitmap.width, symbolWidth(10, 3));
  EXPECT_EQ(bitmap.height, 150);
  EXPECT_EQ(62 + bitmap.stride * bitmap.height, 13862u);
}

TEST(SymbolPicture, SizeWithoutDrawingIsThatOfThePicture) {
  // Settings that draw (small and large modules, tall rows, 16-bit wrap-around) and that do not
  // (no writer, data beyond the symbol).
  const TorvPdf417Comp instances[] = {
      instanceWith(0, 8, 0, 1, 1), instanceWith(6, 4, 1, 0, 5),         instanceWith(30, 10, 8, 20, 25),
      instanceWith(0, 0, 9, 3, 1), instanceWith(0, 8, 0, 65536, 65539), instanceWith(0, 8, 0, 21, 1),
      instanceWith(3, 1, 4, 1, 1), instanceWith(90, 30, 2, 2, 200),
  };
  for (const TorvPdf417Comp& instance : instances) {
    for (const char16_t* text : {kText, u"", u"far too long for three rows of one column"}) {
      const auto picture = makeSymbolPicture(instance, text);
      const auto size = symbolPictureSize(instance, text);
      const std::string where = std::to_string(instance.rows) + "/" + std::to_string(instance.columns) + "/" +
                                std::to_string(instance.xScale) + "/" + std::to_string(instance.yScale);
      ASSERT_EQ(size.has_value(), picture != nullptr) << where;
      if (!picture) continue;
      EXPECT_EQ(size->widthHimetric, picture->widthHimetric()) << where;
      EXPECT_EQ(size->heightHimetric, picture->heightHimetric()) << where;
    }
  }
}

TEST(SymbolPicture, RowHeightRatioTextUses32BitArithmetic) {
  EXPECT_EQ(rowHeightRatioText(1, 1), "1:1");
  EXPECT_EQ(rowHeightRatioText(2, 3), "4:2");
  EXPECT_EQ(rowHeightRatioText(0, 1), "0:0");
  EXPECT_EQ(rowHeightRatioText(2147483647, 2), "-2147483648:2147483647");
  EXPECT_EQ(rowHeightRatioText(-2147483647 - 1, 0), "2147483647:-2147483648");
}

TEST(SymbolPicture, DataIsConvertedToTheCodePage) {
  EXPECT_EQ(dataBytes(u"a\u00E9\u20AC\u0416"), std::string("a\xE9\x80?"));
  EXPECT_EQ(dataBytes(nullptr), std::string());
  EXPECT_EQ(dataBytes(u""), std::string());
}

// Left out on Windows, where the system's conversion gives one '?' per half of the pair.
TEST(SymbolPicture, SurrogatePairInDataIsOneQuestionMark) { EXPECT_EQ(dataBytes(u"a\U0001F600"), std::string("a?")); }

}  // namespace
}  // namespace torv::component
