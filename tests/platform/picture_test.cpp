// SPDX-License-Identifier: Apache-2.0
#include "platform/picture.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bitmap_builder.h"

namespace torv::platform {
namespace {

using namespace torv::platform::testing;

// A surface with a guard band of untouched bytes after every row and after the last row.
class Surface {
 public:
  Surface(int width, int height, int dpi = 96) : guard_(16) {
    context_.dpiX = context_.dpiY = dpi;
    context_.width = width;
    context_.height = height;
    context_.stride = width * 4 + guard_;
    memory_.assign(static_cast<std::size_t>(context_.stride) * height + guard_, kUntouched);
    context_.pixels = memory_.data();
  }

  TorvDeviceContext* context() { return &context_; }

  // '#' black, '.' white, ' ' untouched, '?' anything else; one text line per row.
  std::string text() const {
    std::string out;
    for (int y = 0; y < context_.height; ++y) {
      for (int x = 0; x < context_.width; ++x) out += pixelChar(x, y);
      out += '\n';
    }
    return out;
  }

  bool guardsIntact() const {
    for (int y = 0; y < context_.height; ++y) {
      for (int i = context_.width * 4; i < context_.stride; ++i) {
        if (memory_[static_cast<std::size_t>(y) * context_.stride + i] != kUntouched) return false;
      }
    }
    for (std::size_t i = memory_.size() - guard_; i < memory_.size(); ++i) {
      if (memory_[i] != kUntouched) return false;
    }
    return true;
  }

 private:
  static constexpr unsigned char kUntouched = 0x5A;

  char pixelChar(int x, int y) const {
    const unsigned char* p = &memory_[static_cast<std::size_t>(y) * context_.stride + 4 * x];
    if (p[0] == kUntouched && p[1] == kUntouched && p[2] == kUntouched && p[3] == kUntouched) return ' ';
    if (p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 255) return '#';
    if (p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 255) return '.';
    return '?';
  }

  int guard_;
  TorvDeviceContext context_{};
  std::vector<unsigned char> memory_;
};

const std::vector<std::string> kShape = {
    "#..",
    "##.",
};

std::unique_ptr<Picture> loadShape(const std::vector<std::string>& shape = kShape) {
  const std::vector<std::uint8_t> file = makeBitmapFile(shape);
  return Picture::load(file.data(), file.size());
}

void renderUpright(const Picture& picture, TorvDeviceContext* dc, int x, int y, int cx, int cy) {
  picture.render(dc, x, y, cx, cy, 0, picture.heightHimetric(), picture.widthHimetric(), -picture.heightHimetric());
}

TEST(Picture, MeasuresInHimetricAt96PixelsPerInch) {
  const auto picture = loadShape();
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->widthHimetric(), 79);   // MulDiv(3, 2540, 96) = 79.375
  EXPECT_EQ(picture->heightHimetric(), 53);  // 52.9
  const std::vector<std::uint8_t> wide = makeBitmapFile({std::string(96, '#')});
  EXPECT_EQ(Picture::load(wide.data(), wide.size())->widthHimetric(), 2540);
}

TEST(Picture, LoadsNothingFromAMalformedBlock) {
  std::vector<std::uint8_t> file = makeBitmapFile(kShape);
  file[0] = 'X';
  EXPECT_FALSE(Picture::load(file.data(), file.size()));
  EXPECT_FALSE(Picture::load(nullptr, 0));
}

TEST(Picture, DrawsFromItsOwnPixelsAfterTheBlockIsGone) {
  // Pixels are decoded only when first drawn: they must not be read from the caller's block, which
  // is gone by then, nor from a taken-over block cut short at the end of the pixels.
  for (bool topDown : {false, true}) {
    for (std::size_t trailing : {0, 16}) {
      std::vector<std::uint8_t> file = makeBitmapFile(kShape, topDown);
      file.resize(file.size() + trailing, 0xEE);
      putU32(file, kFileSize, static_cast<std::uint32_t>(file.size()));
      auto owned = std::make_unique<unsigned char[]>(file.size());
      std::copy(file.begin(), file.end(), owned.get());
      std::unique_ptr<Picture> copied = Picture::load(file.data(), file.size());
      std::unique_ptr<Picture> taken = Picture::load(std::move(owned), file.size());
      std::fill(file.begin(), file.end(), 0);
      file = {};
      for (const Picture* picture : {copied.get(), taken.get()}) {
        ASSERT_TRUE(picture) << topDown << " " << trailing;
        Surface surface(3, 2);
        renderUpright(*picture, surface.context(), 0, 0, 3, 2);
        EXPECT_EQ(surface.text(), "#..\n##.\n") << topDown << " " << trailing;
        EXPECT_EQ(picture->bitmap().height, 2);
      }
    }
  }
}

TEST(Picture, ExactMultiplesGiveEveryPixelTheSameSize) {
  const auto picture = loadShape();
  Surface surface(8, 5);
  renderUpright(*picture, surface.context(), 1, 1, 6, 4);
  EXPECT_EQ(surface.text(),
            "        \n"
            " ##.... \n"
            " ##.... \n"
            " ####.. \n"
            " ####.. \n");
  EXPECT_TRUE(surface.guardsIntact());
}

TEST(Picture, ModulesStayExactWhenTheBitmapIsWide) {
  // Every column k times: the module edges fall exactly on multiples of k.
  std::string row;
  for (int i = 0; i < 200; ++i) row += (i * 7 % 3 == 0) ? '#' : '.';
  const auto picture = loadShape({row});
  for (int k : {1, 2, 3, 5}) {
    Surface surface(200 * k, 1);
    renderUpright(*picture, surface.context(), 0, 0, 200 * k, 1);
    const std::string drawn = surface.text();
    for (int x = 0; x < 200 * k; ++x) ASSERT_EQ(drawn[x], row[x / k]) << "k " << k << " x " << x;
  }
}

TEST(Picture, ClipsToTheSurfaceOnEverySide) {
  const auto picture = loadShape();
  for (int x : {-5, -2, 0, 3, 6, 9}) {
    for (int y : {-4, -1, 0, 2, 4, 7}) {
      Surface surface(8, 5);
      renderUpright(*picture, surface.context(), x, y, 6, 4);
      ASSERT_TRUE(surface.guardsIntact()) << x << "," << y;
      const std::string drawn = surface.text();
      for (int py = 0; py < 5; ++py) {
        for (int px = 0; px < 8; ++px) {
          const bool inside = px >= x && px < x + 6 && py >= y && py < y + 4;
          const char expected = inside ? kShape[(py - y) / 2][(px - x) / 2] : ' ';
          ASSERT_EQ(drawn[py * 9 + px], expected) << x << "," << y << " at " << px << "," << py;
        }
      }
    }
  }
}

TEST(Picture, SourceRectangleRunsUpwardFromTheBottomEdge) {
  const auto picture = loadShape();
  Surface upright(3, 2);
  renderUpright(*picture, upright.context(), 0, 0, 3, 2);
  EXPECT_EQ(upright.text(), "#..\n##.\n");
  // The same source taken downward turns the picture upside down.
  Surface flipped(3, 2);
  picture->render(flipped.context(), 0, 0, 3, 2, 0, 0, picture->widthHimetric(), picture->heightHimetric());
  EXPECT_EQ(flipped.text(), "##.\n#..\n");
  // A negative device width mirrors.
  Surface mirrored(3, 2);
  renderUpright(*picture, mirrored.context(), 3, 0, -3, 2);
  EXPECT_EQ(mirrored.text(), "..#\n.##\n");
}

TEST(Picture, ShrinksAndStretchesByNearestNeighbour) {
  const auto picture = loadShape({"##..##..", "##..##..", "..##..##", "..##..##"});
  Surface half(4, 2);
  renderUpright(*picture, half.context(), 0, 0, 4, 2);
  EXPECT_EQ(half.text(), "#.#.\n.#.#\n");
  Surface stretched(12, 1);
  renderUpright(*picture, stretched.context(), 0, 0, 12, 1);
  EXPECT_EQ(stretched.text(), "###...###...\n");
}

TEST(Picture, SourcePartlyOutsideThePictureDrawsOnlyThePicture) {
  const auto picture = loadShape();
  Surface surface(6, 2);
  // Twice the picture's width as source: the right half of the rectangle has no source pixels.
  picture->render(surface.context(), 0, 0, 6, 2, 0, picture->heightHimetric(), 2 * picture->widthHimetric(),
                  -picture->heightHimetric());
  EXPECT_EQ(surface.text(), "#..   \n##.   \n");
}

TEST(Picture, DrawsNothingWithoutASurfaceOrWithAnEmptyRectangle) {
  const auto picture = loadShape();
  renderUpright(*picture, nullptr, 0, 0, 3, 2);

  Surface surface(4, 4);
  TorvDeviceContext noPixels = *surface.context();
  noPixels.pixels = nullptr;
  renderUpright(*picture, &noPixels, 0, 0, 3, 2);
  TorvDeviceContext narrowStride = *surface.context();
  narrowStride.stride = 4 * 4 - 1;
  renderUpright(*picture, &narrowStride, 0, 0, 3, 2);
  TorvDeviceContext noWidth = *surface.context();
  noWidth.width = 0;
  renderUpright(*picture, &noWidth, 0, 0, 3, 2);

  renderUpright(*picture, surface.context(), 0, 0, 0, 2);
  renderUpright(*picture, surface.context(), 0, 0, 3, 0);
  picture->render(surface.context(), 0, 0, 3, 2, 0, 0, 0, 10);
  EXPECT_EQ(surface.text(), "    \n    \n    \n    \n");
}

TEST(Picture, HugeRectanglesAreClippedWithoutOverflow) {
  const auto picture = loadShape();
  Surface surface(4, 3);
  renderUpright(*picture, surface.context(), INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  renderUpright(*picture, surface.context(), INT_MAX, INT_MAX, INT_MIN, INT_MIN);
  renderUpright(*picture, surface.context(), -1000000000, -1000000000, 2000000000, 2000000000);
  EXPECT_TRUE(surface.guardsIntact());
  EXPECT_EQ(surface.text().find('?'), std::string::npos);
}

}  // namespace
}  // namespace torv::platform
