// SPDX-License-Identifier: Apache-2.0
// The device context on Windows is the host's HDC; its resolution comes from GetDeviceCaps.
// Pixels are never touched directly: the picture object renders through the device context.
#include <windows.h>

#include "platform/device_context.h"

namespace torv::platform {

int deviceDpiX(DeviceContext dc) { return dc == nullptr ? 0 : GetDeviceCaps(dc, LOGPIXELSX); }

int deviceDpiY(DeviceContext dc) { return dc == nullptr ? 0 : GetDeviceCaps(dc, LOGPIXELSY); }

// Whatever the HDC is (screen, memory, printer), drawing goes through it; clipping is its own.
bool deviceHasSurface(DeviceContext dc) { return dc != nullptr; }

}  // namespace torv::platform
