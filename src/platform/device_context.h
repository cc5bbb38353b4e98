// SPDX-License-Identifier: Apache-2.0
// The drawing surface of this port: the host hands in a TorvDeviceContext. Callers go through
// these functions only, so the same callers build against the Windows device context services.
#pragma once

#include <cstdint>

#include "torvc_pdf417.h"

namespace torv::platform {

using DeviceContext = TorvDeviceContext*;

// Pixels per inch of the device, horizontally and vertically (0 for a null context).
int deviceDpiX(DeviceContext dc);
int deviceDpiY(DeviceContext dc);

// A surface that can be drawn on: positive size, pixels present, rows at least 4 * width bytes apart.
bool deviceHasSurface(DeviceContext dc);

// One opaque 32-bit pixel in the surface's byte order (B, G, R, A).
struct DevicePixel {
  std::uint8_t blue, green, red, alpha;
};

// Start of a surface row; only for rows 0 <= y < height of a context with a surface.
unsigned char* deviceRow(DeviceContext dc, int y);

}  // namespace torv::platform
