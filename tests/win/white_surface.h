// SPDX-License-Identifier: Apache-2.0
// A white memory surface over a top-down 32-bit DIB section, for the Windows tests that draw.
#pragma once

#include <windows.h>

#include <cstdint>

#include "painted_image.h"

namespace torv::test {

// A white memory surface over a top-down 32-bit DIB section.
class WhiteSurface {
 public:
  WhiteSurface(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
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
      for (int i = 0; i < width * height; ++i) pixels_[i] = 0x00FFFFFF;
    }
  }
  ~WhiteSurface() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  WhiteSurface(const WhiteSurface&) = delete;
  WhiteSurface& operator=(const WhiteSurface&) = delete;

  bool ready() const { return dc_ != nullptr && pixels_ != nullptr; }
  HDC dc() const { return dc_; }
  int dpiX() const { return GetDeviceCaps(dc_, LOGPIXELSX); }
  int dpiY() const { return GetDeviceCaps(dc_, LOGPIXELSY); }

  // The pixels and how many of them are dark.
  PaintedImage image(int& dark) {
    GdiFlush();
    PaintedImage out;
    out.width = width_;
    out.height = height_;
    out.bgr.reserve(static_cast<std::size_t>(width_) * height_ * 3);
    dark = 0;
    for (int i = 0; i < width_ * height_; ++i) {
      const std::uint32_t p = pixels_[i];
      out.bgr.push_back(static_cast<std::uint8_t>(p));
      out.bgr.push_back(static_cast<std::uint8_t>(p >> 8));
      out.bgr.push_back(static_cast<std::uint8_t>(p >> 16));
      dark += (p & 0xFF) < 128;
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

}  // namespace torv::test
