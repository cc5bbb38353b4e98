// SPDX-License-Identifier: Apache-2.0
#include "component/symbol_geometry.h"

#include <cmath>
#include <limits>

#include "platform/mul_div.h"

namespace torv::component {
namespace {

constexpr int kHostUnitsPerInch = 72;
constexpr int kHimetricAt96Dpi = 2540 * 96;  // 243840
constexpr int kHimetricPerInch = 2540;

// MulDiv(72 * himetric, dpi, 243840), or nothing when 72 * himetric does not fit 32 bits.
std::optional<int> hostUnits(int himetric, int dpi) {
  const long long scaled = static_cast<long long>(kHostUnitsPerInch) * himetric;
  if (scaled > std::numeric_limits<int>::max() || scaled < std::numeric_limits<int>::min()) {
    return std::nullopt;
  }
  return platform::mulDiv(static_cast<int>(scaled), dpi, kHimetricAt96Dpi);
}

}  // namespace

std::optional<int> truncateToInt(float value) {
  // 2^31 is exactly representable; every float below it truncates into range.
  constexpr float kLimit = 2147483648.0f;
  if (!std::isfinite(value) || value >= kLimit || value < -kLimit) return std::nullopt;
  return static_cast<int>(value);
}

std::optional<HostSize> naturalSize(int widthHimetric, int heightHimetric, int dpiX, int dpiY) {
  const std::optional<int> width = hostUnits(widthHimetric, dpiX);
  const std::optional<int> height = hostUnits(heightHimetric, dpiY);
  if (!width || !height) return std::nullopt;
  return HostSize{*width, *height};
}

std::optional<DeviceRectangle> paintRectangle(int widthHimetric, int heightHimetric, int dpiX, int dpiY, float left,
                                              float top, float scale) {
  const std::optional<HostSize> size = naturalSize(widthHimetric, heightHimetric, dpiX, dpiY);
  if (!size) return std::nullopt;
  const std::optional<int> cx = truncateToInt(static_cast<float>(size->width) * scale);
  const std::optional<int> cy = truncateToInt(static_cast<float>(size->height) * scale);
  const std::optional<int> x = truncateToInt(left * scale);
  const std::optional<int> y = truncateToInt(top * scale);
  if (!cx || !cy || !x || !y) return std::nullopt;
  return DeviceRectangle{*x, *y, *cx, *cy};
}

std::optional<DeviceRectangle> printRectangle(int widthHimetric, int heightHimetric, int dpiX, int dpiY, float left,
                                              float top, float scale, float offsetX, float offsetY) {
  const int cx = platform::mulDiv(widthHimetric, dpiX, kHimetricPerInch);
  const int cy = platform::mulDiv(heightHimetric, dpiY, kHimetricPerInch);
  const std::optional<int> x = truncateToInt(left * scale + offsetX);
  const std::optional<int> y = truncateToInt(top * scale + offsetY);
  if (!x || !y) return std::nullopt;
  return DeviceRectangle{*x, *y, cx, cy};
}

}  // namespace torv::component
