// SPDX-License-Identifier: Apache-2.0
#include "pdf417/dimensions.h"

#include <algorithm>

#include "pdf417/ecc_rules.h"
#include "pdf417/pdf417.h"
#include "pdf417/symbol.h"

namespace torv::pdf417 {
namespace {

constexpr unsigned kMinRows = 3;

Dimensions checked(std::uint32_t rows, std::uint32_t columns) {
  if (rows < kMinRows || rows > kMaxRows || columns < 1 || columns > kMaxColumns || rows * columns > kMaxSlots) {
    return {};
  }
  return {true, static_cast<std::uint16_t>(rows), static_cast<std::uint16_t>(columns)};
}

Dimensions fixedDimensions(const Pdf417Options& o, std::uint32_t n) {
  if (o.rows != 0 && o.columns != 0) {
    if (std::uint32_t{o.rows} * o.columns < n) return {};
    return checked(o.rows, o.columns);
  }
  if (o.rows != 0) return checked(o.rows, ceilDiv(n, o.rows));
  if (o.columns != 0) return checked(std::max<std::uint32_t>(kMinRows, ceilDiv(n, o.columns)), o.columns);
  return {};
}

// The first column count whose symbol is at least as flat as the target aspect, or the
// taller neighbour before it when that one is closer; ties go to the flatter one.
Dimensions boundedDimensions(const Pdf417Options& o, std::uint32_t n) {
  const std::uint32_t den = o.rowHeightDen != 0 ? o.rowHeightDen : 1;
  const std::uint32_t aspect = o.aspect;
  std::uint32_t previous = 0;  // column count of the last candidate, 0 = none
  std::uint32_t previousAspect = 0;
  for (std::uint32_t c = 1; c <= o.columns && c <= kMaxColumns; ++c) {
    const std::uint32_t r = std::max<std::uint32_t>(kMinRows, ceilDiv(n, c));
    if (r > o.rows || r * c > kMaxSlots) continue;
    const std::uint32_t a = 100 * r * o.rowHeightNum / (den * symbolWidthModules(c, o.compact));
    if (a <= aspect) {
      const bool takePrevious = previous != 0 && previousAspect - aspect < aspect - a;
      const std::uint32_t chosen = takePrevious ? previous : c;
      return checked(std::max<std::uint32_t>(kMinRows, ceilDiv(n, chosen)), chosen);
    }
    previous = c;
    previousAspect = a;
  }
  if (previous == 0) return {};
  return checked(std::max<std::uint32_t>(kMinRows, ceilDiv(n, previous)), previous);
}

}  // namespace

Dimensions chooseDimensions(const Pdf417Options& options, std::uint32_t n) {
  if (n == 0) return {};
  return options.sizingMode == SIZING_FIXED ? fixedDimensions(options, n) : boundedDimensions(options, n);
}

}  // namespace torv::pdf417
