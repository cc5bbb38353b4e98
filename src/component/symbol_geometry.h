// SPDX-License-Identifier: Apache-2.0
// Where and how large the symbol is drawn, from the picture's size in HIMETRIC and the device's
// resolution. Host units: 72 per inch on a device of 96 pixels per inch.
#pragma once

#include <optional>

namespace torv::component {

struct HostSize {
  int width, height;
};

struct DeviceRectangle {
  int x, y, cx, cy;
};

// The natural size in host units: MulDiv(72 * HIMETRIC, dpi, 243840) on each axis.
std::optional<HostSize> naturalSize(int widthHimetric, int heightHimetric, int dpiX, int dpiY);

// Screen drawing: the natural size times scale, at (left * scale, top * scale). Nothing when a
// product with scale is not a finite value within the 32-bit range.
std::optional<DeviceRectangle> paintRectangle(int widthHimetric, int heightHimetric, int dpiX, int dpiY, float left,
                                              float top, float scale);

// Printing: the physical size in device pixels, MulDiv(HIMETRIC, dpi, 2540), at
// (left * scale + offsetX, top * scale + offsetY).
std::optional<DeviceRectangle> printRectangle(int widthHimetric, int heightHimetric, int dpiX, int dpiY, float left,
                                              float top, float scale, float offsetX, float offsetY);

// Truncation toward zero, or nothing when the value is not finite or does not fit 32 bits.
std::optional<int> truncateToInt(float value);

}  // namespace torv::component
