// SPDX-License-Identifier: Apache-2.0
#include "platform/picture.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bitmap_builder.h"
#include "platform/wide_integer.h"

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

// Every drawn pixel shows the bitmap pixel under its centre, computed here by one exact division
// per pixel, whatever the scale, mirroring, offset or size of the rectangles (huge ones included).
TEST(Picture, EveryDrawnPixelIsTheOneUnderItsCentre) {
  const std::vector<std::string> shape = {"#..#.##..#.#.", "..##.#..###..", "#.#.#..#.#..#", ".##..#.##...#",
                                          "#...##.#.#.##"};
  const auto picture = loadShape(shape);
  ASSERT_TRUE(picture);
  const long long w = picture->widthHimetric(), h = picture->heightHimetric();
  const int pixelsX = static_cast<int>(shape[0].size()), pixelsY = static_cast<int>(shape.size());
  struct Case {
    int x, y, cx, cy, sourceX, sourceY, sourceWidth, sourceHeight;
  };
  const int W = static_cast<int>(w), H = static_cast<int>(h);
  const Case cases[] = {
      {0, 0, 13, 5, 0, H, W, -H},
      {0, 0, 31, 17, 0, H, W, -H},
      {2, 1, 7, 3, 0, H, W, -H},
      {30, 0, -29, 11, 0, H, W, -H},
      {0, 19, 23, -18, 0, H, W, -H},
      {-5, -3, 40, 22, W / 3, H, W / 2, -H / 2},
      {0, 0, 29, 19, -W / 4, H + H / 3, W + W / 2, -H - H / 2},
      {3, 2, 25, 14, W, 0, -W, H},
      {-1000000000, -1000000000, 2000000000, 2000000000, 0, H, W, -H},
      {0, 0, 33, 21, INT_MIN / 2, INT_MAX / 2, INT_MAX, INT_MIN + 1},
      {-7, 0, 37, 20, 1, H - 1, INT_MAX / 3, -(INT_MAX / 5)},
      // Centres that fall exactly on the edge between two bitmap pixels.
      {0, 0, 13, 5, 0, H, 2 * W, -2 * H},
      {1, 1, 7, 3, -W, H, 3 * W, -3 * H},
      {0, 0, 13, 5, 258, H, 516, -H},  // W 344: every other centre on an edge
  };
  for (const Case& c : cases) {
    Surface surface(32, 20);
    picture->render(surface.context(), c.x, c.y, c.cx, c.cy, c.sourceX, c.sourceY, c.sourceWidth, c.sourceHeight);
    const auto floorDiv = [](WideInteger n, WideInteger d) { return toLongLong(floorDivide(n, d)); };
    std::string expected;
    for (int py = 0; py < 20; ++py) {
      for (int px = 0; px < 32; ++px) {
        const bool inX = c.cx > 0 ? px >= c.x && px < 1LL * c.x + c.cx : px < c.x && px >= 1LL * c.x + c.cx;
        const bool inY = c.cy > 0 ? py >= c.y && py < 1LL * c.y + c.cy : py < c.y && py >= 1LL * c.y + c.cy;
        const long long column = floorDiv(
            (WideInteger{2} * c.sourceX * c.cx + WideInteger{2 * (1LL * px - c.x) + 1} * c.sourceWidth) * pixelsX,
            WideInteger{2} * c.cx * w);
        const long long fromBottom = floorDiv(
            (WideInteger{2} * c.sourceY * c.cy + WideInteger{2 * (1LL * py - c.y) + 1} * c.sourceHeight) * pixelsY,
            WideInteger{2} * c.cy * h);
        const bool inside = inX && inY && column >= 0 && column < pixelsX && fromBottom >= 0 && fromBottom < pixelsY;
        expected +=
            inside ? shape[static_cast<std::size_t>(pixelsY - 1 - fromBottom)][static_cast<std::size_t>(column)] : ' ';
      }
      expected += '\n';
    }
    EXPECT_EQ(surface.text(), expected) << c.x << " " << c.y << " " << c.cx << " " << c.cy << " " << c.sourceX << " "
                                        << c.sourceY << " " << c.sourceWidth << " " << c.sourceHeight;
    EXPECT_TRUE(surface.guardsIntact());
  }
}

}  // namespace
}  // namespace torv::platform
