// SPDX-License-Identifier: Apache-2.0
// Any attribute values, positions, scales and resolutions: drawing stays inside the surface,
// writes only opaque black and white, and a refused symbol leaves everything as it was.
#include <climits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "test_surface.h"
#include "torvc_pdf417.h"

namespace {

using torv::test::TestSurface;

const int kInterestingValues[] = {INT_MIN, -65536, -1, 0,  1,  2,  3,   4,     8,     9,         20,     21,
                                  25,      26,     30, 31, 90, 91, 928, 65535, 65536, 65536 + 3, INT_MAX};

TEST(AnySettings, DrawingStaysInsideTheSurface) {
  std::mt19937 random(417);
  const auto pick = [&]() { return kInterestingValues[random() % std::size(kInterestingValues)]; };
  std::unique_ptr<TorvPdf417Comp, void (*)(TorvPdf417Comp*)> instance(GetNewInstance(), DeleteInstance);
  const char16_t* names[] = {u"PDF417_ROWNUM", u"PDF417_COLNUM", u"PDF417_ECC", u"PDF417_XSCALE", u"PDF417_YSCALE"};
  const float positions[] = {-1e9f, -40.5f, -3.9f, 0.0f, 0.4f, 10.7f, 57.0f, 1e9f};
  const float scales[] = {-2.0f, 0.0f, 0.01f, 0.5f, 1.0f, 3.0f, 1e5f};
  const int resolutions[] = {-96, 0, 1, 72, 96, 600, 100000};
  for (int round = 0; round < 150; ++round) {
    for (const char16_t* name : names) {
      const std::string text = std::to_string(pick());
      setAttr(instance.get(), name, std::u16string(text.begin(), text.end()).c_str());
    }
    const std::u16string data(static_cast<std::size_t>(random() % 120), static_cast<char16_t>(u'A' + random() % 60));
    TestSurface surface(64 + static_cast<int>(random() % 200), 16 + static_cast<int>(random() % 100),
                        resolutions[random() % std::size(resolutions)]);
    const float left = positions[random() % std::size(positions)];
    const float top = positions[random() % std::size(positions)];
    const float scale = scales[random() % std::size(scales)];

    float width = -7, height = -9;
    getAutosize(instance.get(), surface.context(), data.c_str(), &width, &height);
    const bool drawable = width != -7;
    EXPECT_EQ(drawable, height != -9);
    if (random() % 2) {
      paint(instance.get(), surface.context(), data.c_str(), left, top, 0, 0, scale);
    } else {
      print(instance.get(), surface.context(), data.c_str(), left, top, 0, 0, scale, top, left);
    }
    ASSERT_TRUE(surface.guardsIntact()) << "round " << round;
    ASSERT_TRUE(surface.onlyBlackAndWhite()) << "round " << round;
    if (!drawable) {
      EXPECT_TRUE(surface.blank()) << "round " << round;
    }
  }
}

}  // namespace
