// SPDX-License-Identifier: Apache-2.0
#include "platform/device_context.h"

#include <cstddef>

namespace torv::platform {

int deviceDpiX(DeviceContext dc) { return dc == nullptr ? 0 : dc->dpiX; }

int deviceDpiY(DeviceContext dc) { return dc == nullptr ? 0 : dc->dpiY; }

bool deviceHasSurface(DeviceContext dc) {
  return dc != nullptr && dc->pixels != nullptr && dc->width > 0 && dc->height > 0 &&
         static_cast<long long>(dc->stride) >= 4LL * dc->width;
}

unsigned char* deviceRow(DeviceContext dc, int y) { return dc->pixels + static_cast<std::ptrdiff_t>(y) * dc->stride; }

}  // namespace torv::platform
