// SPDX-License-Identifier: Apache-2.0
// Memory surfaces over top-down 32-bit DIB sections, for the Windows tests that draw.
#pragma once

#include <windows.h>

#include <cstdint>

#include "painted_image.h"

namespace torv::test {

// A memory device context over a top-down 32-bit DIB section, every pixel set to `fill` at first.
class DibSurface {
 public:
  DibSurface(int width, int height, std::uint32_t fill)
      : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels_ = static_cast<std::uint32_t*>(bits);
    if (bitmap_ != nullptr) {
      previous_ = SelectObject(dc_, bitmap_);
      for (int i = 0; i < width * height; ++i) pixels_[i] = fill;
    }
  }
  ~DibSurface() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;

  bool ready() const { return dc_ != nullptr && pixels_ != nullptr; }
  HDC dc() const { return dc_; }
  int dpiX() const { return GetDeviceCaps(dc_, LOGPIXELSX); }
  int dpiY() const { return GetDeviceCaps(dc_, LOGPIXELSY); }
  int width() const { return width_; }
  int height() const { return height_; }

  // The colour at (x, y), once GDI has finished drawing.
  std::uint32_t at(int x, int y) {
    GdiFlush();
    return pixels_[y * width_ + x] & 0x00FFFFFF;
  }

  // Whether every pixel still has this colour.
  bool everyPixelIs(std::uint32_t colour) {
    GdiFlush();
    for (int i = 0; i < width_ * height_; ++i) {
      if ((pixels_[i] & 0x00FFFFFF) != colour) return false;
    }
    return true;
  }

  // The top-left width x height pixels and how many of them are dark.
  PaintedImage image(int width, int height, int& dark) {
    GdiFlush();
    PaintedImage out;
    out.width = width;
    out.height = height;
    out.bgr.reserve(static_cast<std::size_t>(width) * height * 3);
    dark = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint32_t p = pixels_[y * width_ + x];
        out.bgr.push_back(static_cast<std::uint8_t>(p));
        out.bgr.push_back(static_cast<std::uint8_t>(p >> 8));
        out.bgr.push_back(static_cast<std::uint8_t>(p >> 16));
        dark += (p & 0xFF) < 128;
      }
    }
    return out;
  }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  std::uint32_t* pixels_ = nullptr;
};

// A white surface.
class WhiteSurface : public DibSurface {
 public:
  WhiteSurface(int width, int height) : DibSurface(width, height, 0x00FFFFFF) {}

  // The whole picture and how many of its pixels are dark.
  PaintedImage image(int& dark) { return DibSurface::image(width(), height(), dark); }
};

}  // namespace torv::test
