// SPDX-License-Identifier: Apache-2.0
// A drawing surface for the plug-in tests, with a guard band after every row and after the last
// row so that any write outside the surface shows.
#pragma once

#include <cstdint>
#include <vector>

#include "torvc_pdf417.h"

namespace torv::test {

class TestSurface {
 public:
  static constexpr unsigned char kUntouched = 0x5A;
  static constexpr int kGuard = 16;

  TestSurface(int width, int height, int dpi) {
    context_.dpiX = context_.dpiY = dpi;
    context_.width = width;
    context_.height = height;
    context_.stride = width * 4 + kGuard;
    memory_.assign(static_cast<std::size_t>(context_.stride) * height + kGuard, kUntouched);
    context_.pixels = memory_.data();
  }

  TorvDeviceContext* context() { return &context_; }
  // Every byte, guards included: two surfaces of one size compare as drawn.
  const std::vector<unsigned char>& bytes() const { return memory_; }
  int width() const { return context_.width; }
  int height() const { return context_.height; }

  const unsigned char* pixel(int x, int y) const {
    return &memory_[static_cast<std::size_t>(y) * context_.stride + 4 * static_cast<std::size_t>(x)];
  }
  bool untouched(int x, int y) const {
    const unsigned char* p = pixel(x, y);
    return p[0] == kUntouched && p[1] == kUntouched && p[2] == kUntouched && p[3] == kUntouched;
  }
  bool black(int x, int y) const {
    const unsigned char* p = pixel(x, y);
    return p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 255;
  }
  bool white(int x, int y) const {
    const unsigned char* p = pixel(x, y);
    return p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 255;
  }

  bool blank() const {
    for (unsigned char byte : memory_) {
      if (byte != kUntouched) return false;
    }
    return true;
  }

  bool guardsIntact() const {
    for (int y = 0; y < context_.height; ++y) {
      for (int i = context_.width * 4; i < context_.stride; ++i) {
        if (memory_[static_cast<std::size_t>(y) * context_.stride + i] != kUntouched) return false;
      }
    }
    for (std::size_t i = memory_.size() - kGuard; i < memory_.size(); ++i) {
      if (memory_[i] != kUntouched) return false;
    }
    return true;
  }

  // The rectangle of touched pixels; all zero when nothing was drawn.
  struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
  };
  Box touchedBox() const {
    Box box{context_.width, context_.height, 0, 0};
    for (int y = 0; y < context_.height; ++y) {
      for (int x = 0; x < context_.width; ++x) {
        if (untouched(x, y)) continue;
        box.left = x < box.left ? x : box.left;
        box.top = y < box.top ? y : box.top;
        box.right = x + 1 > box.right ? x + 1 : box.right;
        box.bottom = y + 1 > box.bottom ? y + 1 : box.bottom;
      }
    }
    return box.right == 0 ? Box{} : box;
  }

  // Every touched pixel is opaque black or white.
  bool onlyBlackAndWhite() const {
    for (int y = 0; y < context_.height; ++y) {
      for (int x = 0; x < context_.width; ++x) {
        if (!untouched(x, y) && !black(x, y) && !white(x, y)) return false;
      }
    }
    return true;
  }

  // The touched area as 8-bit gray (0 black, 255 white), top row first, for the reader.
  std::vector<std::uint8_t> gray(const Box& box) const {
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(box.width()) * box.height());
    for (int y = box.top; y < box.bottom; ++y) {
      for (int x = box.left; x < box.right; ++x) out.push_back(black(x, y) ? 0 : 255);
    }
    return out;
  }

 private:
  TorvDeviceContext context_{};
  std::vector<unsigned char> memory_;
};

}  // namespace torv::test
