// SPDX-License-Identifier: Apache-2.0
#include "component/symbol_geometry.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace torv::component {
namespace {

TEST(SymbolGeometry, NaturalSizeIsInHostUnitsOf72PerInchAt96Dpi) {
  const auto size = naturalSize(2540, 1270, 96, 96);
  ASSERT_TRUE(size);
  EXPECT_EQ(size->width, 72);
  EXPECT_EQ(size->height, 36);
  const auto printer = naturalSize(2540, 2540, 600, 300);
  ASSERT_TRUE(printer);
  EXPECT_EQ(printer->width, 450);  // 72 * 600 / 96
  EXPECT_EQ(printer->height, 225);
}

TEST(SymbolGeometry, PaintScalesSizeAndPosition) {
  const auto twice = paintRectangle(2540, 2540, 96, 96, 5.0f, 7.0f, 2.0f);
  ASSERT_TRUE(twice);
  EXPECT_EQ(twice->cx, 144);
  EXPECT_EQ(twice->cy, 144);
  EXPECT_EQ(twice->x, 10);
  EXPECT_EQ(twice->y, 14);

  const auto truncated = paintRectangle(2540, 2540, 96, 96, 10.7f, -3.9f, 1.0f);
  ASSERT_TRUE(truncated);
  EXPECT_EQ(truncated->x, 10);
  EXPECT_EQ(truncated->y, -3);  // toward zero, not down
  EXPECT_EQ(truncated->cx, 72);

  const auto fraction = paintRectangle(2540, 2540, 96, 96, 0.0f, 0.0f, 1.5f);
  ASSERT_TRUE(fraction);
  EXPECT_EQ(fraction->cx, 108);
}

TEST(SymbolGeometry, PrintUsesThePhysicalSizeWhateverTheScale) {
  for (float scale : {0.5f, 1.0f, 3.0f}) {
    const auto where = printRectangle(2540, 1270, 600, 600, 10.0f, 20.0f, scale, 0.5f, -0.25f);
    ASSERT_TRUE(where);
    EXPECT_EQ(where->cx, 600);
    EXPECT_EQ(where->cy, 300);
    EXPECT_EQ(where->x, static_cast<int>(10.0f * scale + 0.5f));
    EXPECT_EQ(where->y, static_cast<int>(20.0f * scale - 0.25f));
  }
}

TEST(SymbolGeometry, ValuesBeyondTheIntegerRangeGiveNoRectangle) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(paintRectangle(2540, 2540, 96, 96, 0, 0, inf));
  EXPECT_FALSE(paintRectangle(2540, 2540, 96, 96, 0, 0, nan));
  EXPECT_FALSE(paintRectangle(2540, 2540, 96, 96, 0, 0, 1e30f));
  EXPECT_FALSE(paintRectangle(2540, 2540, 96, 96, 3e9f, 0, 1.0f));
  EXPECT_FALSE(printRectangle(2540, 2540, 96, 96, 0, 0, 1.0f, nan, 0));
  EXPECT_FALSE(printRectangle(2540, 2540, 96, 96, 0, -3e9f, 1.0f, 0, 0));
  EXPECT_FALSE(naturalSize(std::numeric_limits<int>::max() / 72 + 1, 10, 96, 96));
}

TEST(SymbolGeometry, TruncatesTowardZeroWithinRange) {
  EXPECT_EQ(truncateToInt(-3.9f), -3);
  EXPECT_EQ(truncateToInt(2147483520.0f), 2147483520);
  EXPECT_EQ(truncateToInt(-2147483648.0f), std::numeric_limits<int>::min());
  EXPECT_FALSE(truncateToInt(2147483648.0f));
  EXPECT_FALSE(truncateToInt(-2147483904.0f));
}

}  // namespace
}  // namespace torv::component
