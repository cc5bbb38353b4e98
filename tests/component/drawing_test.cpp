// SPDX-License-Identifier: Apache-2.0
// Measuring, painting and printing through the exported functions, as a host does.
#include <cmath>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "test_surface.h"
#include "torvc_pdf417.h"
#include "zxing_decode.h"

namespace {

using torv::test::TestSurface;

struct InstanceDeleter {
  void operator()(TorvPdf417Comp* instance) const { DeleteInstance(instance); }
};
using Instance = std::unique_ptr<TorvPdf417Comp, InstanceDeleter>;

Instance instanceWith(int rows, int columns, int ecc, int xScale, int yScale) {
  Instance instance(GetNewInstance());
  const auto set = [&](const char16_t* name, int value) {
    const std::string text = std::to_string(value);
    const std::u16string wide(text.begin(), text.end());
    EXPECT_EQ(setAttr(instance.get(), name, wide.c_str()), 1);
  };
  set(u"PDF417_ROWNUM", rows);
  set(u"PDF417_COLNUM", columns);
  set(u"PDF417_ECC", ecc);
  set(u"PDF417_XSCALE", xScale);
  set(u"PDF417_YSCALE", yScale);
  return instance;
}

// Independent figures: the Windows rounding of a * b / c, and the HIMETRIC size of a bitmap.
int roundedMulDiv(long long a, long long b, long long c) {
  return static_cast<int>(std::llround(static_cast<double>(a * b) / static_cast<double>(c)));
}
int himetric(int pixels) { return roundedMulDiv(pixels, 2540, 96); }

std::string decodeBox(const TestSurface& surface) {
  const TestSurface::Box box = surface.touchedBox();
  const std::vector<std::uint8_t> gray = surface.gray(box);
  std::string why;
  const auto bytes = torv::test::decodePdf417(box.width(), box.height(), gray.data(), 0, {}, why);
  if (!bytes) return "<unread: " + why + ">";
  return std::string(bytes->begin(), bytes->end());
}

// 10 rows of 8 columns, modules and rows 1 pixel: a bitmap of 205 x 10 pixels.
constexpr int kBitmapWidth = 17 * 8 + 69;
constexpr int kBitmapHeight = 10;

TEST(Drawing, AutosizeReportsHostUnitsOfTheBitmap) {
  Instance instance = instanceWith(10, 8, 0, 1, 1);
  for (int dpi : {96, 120, 300}) {
    TorvDeviceContext dc{dpi, dpi, 0, 0, 0, nullptr};  // no pixels needed
    float width = -1, height = -1;
    getAutosize(instance.get(), &dc, u"Autosize", &width, &height);
    EXPECT_EQ(width, roundedMulDiv(72LL * himetric(kBitmapWidth), dpi, 243840)) << dpi;
    EXPECT_EQ(height, roundedMulDiv(72LL * himetric(kBitmapHeight), dpi, 243840)) << dpi;
  }
}

TEST(Drawing, PaintFillsTheScaledRectangleAtTheScaledPosition) {
  Instance instance = instanceWith(10, 8, 0, 1, 1);
  TestSurface surface(400, 60, 96);
  float width = 0, height = 0;
  getAutosize(instance.get(), surface.context(), u"Paint", &width, &height);
  paint(instance.get(), surface.context(), u"Paint", 10.7f, 3.9f, 999.0f, -999.0f, 2.0f);
  const TestSurface::Box box = surface.touchedBox();
  EXPECT_EQ(box.left, 21);  // trunc(10.7 * 2)
  EXPECT_EQ(box.top, 7);    // trunc(3.9 * 2)
  EXPECT_EQ(box.width(), static_cast<int>(width * 2));
  EXPECT_EQ(box.height(), static_cast<int>(height * 2));
  EXPECT_TRUE(surface.onlyBlackAndWhite());
  EXPECT_TRUE(surface.guardsIntact());
  // The symbol starts and ends with a bar on every row.
  for (int y = box.top; y < box.bottom; ++y) {
    EXPECT_TRUE(surface.black(box.left, y));
    EXPECT_TRUE(surface.black(box.right - 1, y));
  }
}

TEST(Drawing, PaintAtNegativePositionsIsClipped) {
  Instance instance = instanceWith(10, 8, 0, 1, 1);
  TestSurface surface(300, 20, 96);
  paint(instance.get(), surface.context(), u"Clip", -30.5f, -3.9f, 0, 0, 1.0f);
  const TestSurface::Box box = surface.touchedBox();
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  float width = 0, height = 0;
  getAutosize(instance.get(), surface.context(), u"Clip", &width, &height);
  EXPECT_EQ(box.right, static_cast<int>(width) - 30);   // x = -30
  EXPECT_EQ(box.bottom, static_cast<int>(height) - 3);  // y = -3
  EXPECT_TRUE(surface.guardsIntact());
}

TEST(Drawing, PrintUsesThePhysicalSizeWhateverTheScale) {
  Instance instance = instanceWith(10, 8, 0, 1, 1);
  for (float scale : {1.0f, 2.5f}) {
    TestSurface surface(1400, 120, 600);
    print(instance.get(), surface.context(), u"Print", 4.0f, 2.0f, 0, 0, scale, 3.5f, 1.25f);
    const TestSurface::Box box = surface.touchedBox();
    EXPECT_EQ(box.width(), roundedMulDiv(himetric(kBitmapWidth), 600, 2540));
    EXPECT_EQ(box.height(), roundedMulDiv(himetric(kBitmapHeight), 600, 2540));
    EXPECT_EQ(box.left, static_cast<int>(4.0f * scale + 3.5f));
    EXPECT_EQ(box.top, static_cast<int>(2.0f * scale + 1.25f));
  }
}

TEST(Drawing, PrintAt96DpiReproducesTheBitmapPixelForPixel) {
  Instance instance = instanceWith(10, 8, 0, 3, 2);  // modules 3 px, rows 4 px
  TestSurface surface(700, 60, 96);
  print(instance.get(), surface.context(), u"Pixel for pixel", 0, 0, 0, 0, 1.0f, 0, 0);
  const TestSurface::Box box = surface.touchedBox();
  EXPECT_EQ(box.width(), kBitmapWidth * 3);
  EXPECT_EQ(box.height(), 10 * 4);
  // The start pattern: a bar of 8 modules, then a space of 1.
  for (int x = 0; x < 24; ++x) EXPECT_TRUE(surface.black(x, 0)) << x;
  for (int x = 24; x < 27; ++x) EXPECT_TRUE(surface.white(x, 0)) << x;
  EXPECT_EQ(decodeBox(surface), "Pixel for pixel");
}

TEST(Drawing, RefusedModuleWidthDrawsNothingAndLeavesTheSize) {
  Instance instance = instanceWith(0, 8, 0, 21, 1);
  TestSurface surface(300, 300, 96);
  float width = -7, height = -9;
  getAutosize(instance.get(), surface.context(), u"wide", &width, &height);
  EXPECT_EQ(width, -7);
  EXPECT_EQ(height, -9);
  paint(instance.get(), surface.context(), u"wide", 0, 0, 0, 0, 1.0f);
  print(instance.get(), surface.context(), u"wide", 0, 0, 0, 0, 1.0f, 0, 0);
  EXPECT_TRUE(surface.blank());
}

// Rows, columns, ECC and the module width count by their low 16 bits; the row height by the full
// scales (as the public header states): saved records with such values must keep drawing alike.
TEST(Drawing, OnlyTheLow16BitsOfRowsColumnsAndModuleWidthCount) {
  struct Case {
    int rows, columns, ecc, xScale, yScale;
    int bitmapWidth, bitmapHeight;  // 0: nothing drawn
  } cases[] = {
      {65536 + 10, 65536 + 8, 65536, 1, 1, kBitmapWidth, kBitmapHeight},
      {10, 8, 0, 65536, 1, kBitmapWidth, 3 * kBitmapHeight},  // 1-pixel modules, ratio 65536:65536 refused
      {10, 8, 0, -1, 1, 0, 0},                                // 65535 pixels wide: refused
  };
  for (const Case& c : cases) {
    Instance instance = instanceWith(c.rows, c.columns, c.ecc, c.xScale, c.yScale);
    TorvDeviceContext dc{96, 96, 0, 0, 0, nullptr};
    float width = 0, height = 0;
    getAutosize(instance.get(), &dc, u"Autosize", &width, &height);
    EXPECT_EQ(width, c.bitmapWidth == 0 ? 0 : roundedMulDiv(72LL * himetric(c.bitmapWidth), 96, 243840)) << c.xScale;
    EXPECT_EQ(height, c.bitmapHeight == 0 ? 0 : roundedMulDiv(72LL * himetric(c.bitmapHeight), 96, 243840)) << c.xScale;
  }
}

TEST(Drawing, DataThatDoesNotFitDrawsNothing) {
  Instance instance = instanceWith(3, 1, 2, 1, 1);
  TestSurface surface(300, 300, 96);
  const std::u16string text(200, u'x');
  float width = -7, height = -9;
  getAutosize(instance.get(), surface.context(), text.c_str(), &width, &height);
  EXPECT_EQ(width, -7);
  EXPECT_EQ(height, -9);
  paint(instance.get(), surface.context(), text.c_str(), 0, 0, 0, 0, 1.0f);
  EXPECT_TRUE(surface.blank());
}

TEST(Drawing, NullAndSurfacelessContextsDrawNothing) {
  Instance instance(GetNewInstance());
  float width = -7, height = -9;
  getAutosize(instance.get(), nullptr, u"data", &width, &height);
  EXPECT_EQ(width, -7);
  paint(instance.get(), nullptr, u"data", 0, 0, 0, 0, 1.0f);
  print(instance.get(), nullptr, u"data", 0, 0, 0, 0, 1.0f, 0, 0);

  TestSurface surface(50, 50, 96);
  TorvDeviceContext noPixels = *surface.context();
  noPixels.pixels = nullptr;
  paint(instance.get(), &noPixels, u"data", 0, 0, 0, 0, 1.0f);
  print(instance.get(), &noPixels, u"data", 0, 0, 0, 0, 1.0f, 0, 0);
  TorvDeviceContext shortStride = *surface.context();
  shortStride.stride = 10;
  paint(instance.get(), &shortStride, u"data", 0, 0, 0, 0, 1.0f);
  TorvDeviceContext negativeSize = *surface.context();
  negativeSize.height = -50;
  paint(instance.get(), &negativeSize, u"data", 0, 0, 0, 0, 1.0f);
  EXPECT_TRUE(surface.blank());

  // Only the resolution is needed for the size.
  getAutosize(instance.get(), &noPixels, u"data", &width, &height);
  EXPECT_GT(width, 0);
  EXPECT_GT(height, 0);
  getAutosize(instance.get(), &noPixels, u"data", nullptr, nullptr);

  paint(nullptr, surface.context(), u"data", 0, 0, 0, 0, 1.0f);
  getAutosize(nullptr, surface.context(), u"data", &width, &height);
  EXPECT_TRUE(surface.blank());
}

TEST(Drawing, NonFiniteOrHugeScalesDrawNothing) {
  Instance instance(GetNewInstance());
  TestSurface surface(50, 50, 96);
  paint(instance.get(), surface.context(), u"data", 0, 0, 0, 0, INFINITY);
  paint(instance.get(), surface.context(), u"data", 0, 0, 0, 0, NAN);
  paint(instance.get(), surface.context(), u"data", 0, 0, 0, 0, 1e20f);
  print(instance.get(), surface.context(), u"data", NAN, 0, 0, 0, 1.0f, 0, 0);
  EXPECT_TRUE(surface.blank());
  // Zero and negative scales: an empty or mirrored rectangle, never a write outside the surface.
  paint(instance.get(), surface.context(), u"data", 0, 0, 0, 0, 0.0f);
  paint(instance.get(), surface.context(), u"data", 10, 10, 0, 0, -1.0f);
  EXPECT_TRUE(surface.guardsIntact());
}

TEST(Drawing, NullAndEmptyDataDrawTheSameSymbol) {
  Instance instance(GetNewInstance());
  TestSurface fromNull(300, 100, 96), fromEmpty(300, 100, 96);
  paint(instance.get(), fromNull.context(), nullptr, 0, 0, 0, 0, 1.0f);
  paint(instance.get(), fromEmpty.context(), u"", 0, 0, 0, 0, 1.0f);
  EXPECT_FALSE(fromNull.blank());
  EXPECT_EQ(fromNull.gray(fromNull.touchedBox()), fromEmpty.gray(fromEmpty.touchedBox()));
}

TEST(Drawing, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  Instance instance = instanceWith(0, 6, 2, 2, 2);
  TestSurface outside(500, 300, 96), questions(500, 300, 96);
  print(instance.get(), outside.context(), u"a\u0416b\U0001F600c\u20AC", 0, 0, 0, 0, 1, 0, 0);
  print(instance.get(), questions.context(), u"a?b?c\u20AC", 0, 0, 0, 0, 1, 0, 0);
  EXPECT_EQ(outside.gray(outside.touchedBox()), questions.gray(questions.touchedBox()));
  EXPECT_EQ(decodeBox(outside), "a?b?c\x80");
}

TEST(Drawing, SymbolsLargerThanTheOldFixedBlockDrawAndRead) {
  // 10 columns x 30 rows at module width 3, rows 5 pixels: a bitmap file of 13,862 bytes.
  Instance instance = instanceWith(30, 10, 2, 3, 3);
  const std::u16string text = u"Beyond ten kilobytes of bitmap: 0123456789 ABCDEFGHIJ";
  TestSurface surface(800, 200, 96);
  print(instance.get(), surface.context(), text.c_str(), 0, 0, 0, 0, 1, 0, 0);
  const TestSurface::Box box = surface.touchedBox();
  EXPECT_EQ(box.width(), (17 * 10 + 69) * 3);
  EXPECT_EQ(box.height(), 30 * 5);
  EXPECT_EQ(decodeBox(surface), std::string(text.begin(), text.end()));

  // The widest and tallest symbol the settings allow: 30 columns, modules 20 px, rows 25 px.
  Instance widest = instanceWith(0, 30, 8, 20, 6);
  TorvDeviceContext sizeOnly{96, 96, 0, 0, 0, nullptr};
  float width = 0, height = 0;
  getAutosize(widest.get(), &sizeOnly, std::u16string(900, u'7').c_str(), &width, &height);
  EXPECT_EQ(width, roundedMulDiv(72LL * himetric((17 * 30 + 69) * 20), 96, 243840));
  EXPECT_GT(height, 0);
}

}  // namespace
