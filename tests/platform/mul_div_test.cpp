// SPDX-License-Identifier: Apache-2.0
#include "platform/mul_div.h"

#include <climits>

#include <gtest/gtest.h>

namespace torv::platform {
namespace {

TEST(MulDiv, ScalesThroughA64BitIntermediate) {
  EXPECT_EQ(mulDiv(96, 2540, 96), 2540);
  EXPECT_EQ(mulDiv(72 * 2540, 96, 243840), 72);
  EXPECT_EQ(mulDiv(1 << 20, 1 << 20, 1 << 10), 1 << 30);
  EXPECT_EQ(mulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
  EXPECT_EQ(mulDiv(0, 5, -3), 0);
}

// -2^31 fits 32 bits, so it is a result like any other. (Wine's MulDiv takes only results within
// +-2147483647 and answers -1 here, which is why the Windows suite leaves this one test out.)
TEST(MulDiv, MinimumIntIsAResultNotAnOverflow) {
  EXPECT_EQ(mulDiv(INT_MIN, INT_MIN, INT_MIN), INT_MIN);
  EXPECT_EQ(mulDiv(INT_MIN, 1, 1), INT_MIN);
}

TEST(MulDiv, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(mulDiv(5, 1, 2), 3);
  EXPECT_EQ(mulDiv(-5, 1, 2), -3);
  EXPECT_EQ(mulDiv(5, -1, 2), -3);
  EXPECT_EQ(mulDiv(5, 1, -2), -3);
  EXPECT_EQ(mulDiv(-5, -1, -2), -3);
  EXPECT_EQ(mulDiv(-5, -1, 2), 3);
  EXPECT_EQ(mulDiv(7, 1, 3), 2);
  EXPECT_EQ(mulDiv(8, 1, 3), 3);
  EXPECT_EQ(mulDiv(-8, 1, 3), -3);
  EXPECT_EQ(mulDiv(86, 2540, 96), 2275);  // 2275.42
  EXPECT_EQ(mulDiv(3, 2540, 96), 79);     // 79.375
}

TEST(MulDiv, ReportsMinusOneForZeroDivisorAndOverflow) {
  EXPECT_EQ(mulDiv(1, 1, 0), -1);
  EXPECT_EQ(mulDiv(0, 0, 0), -1);
  EXPECT_EQ(mulDiv(INT_MAX, 2, 1), -1);
  EXPECT_EQ(mulDiv(INT_MIN, -1, 1), -1);  // +2^31 does not fit
  EXPECT_EQ(mulDiv(INT_MIN, 2, 1), -1);
  EXPECT_EQ(mulDiv(INT_MAX, INT_MAX, 1), -1);
  // Rounding up past the limit overflows too: 2147483647.5 rounds to 2^31.
  EXPECT_EQ(mulDiv(INT_MAX, 2, 2), INT_MAX);
  EXPECT_EQ(mulDiv(INT_MAX, 3, 2), -1);
}

}  // namespace
}  // namespace torv::platform
