// SPDX-License-Identifier: Apache-2.0
// Bar/space patterns of the 929 codewords in the three clusters (0, 3, 6 by row mod 3).
// Each entry is modules 2..17 of the 17-module pattern, module 2 in the top bit, 1 = bar;
// module 1 is always a bar.
#pragma once

#include <cstdint>

namespace torv::pdf417 {

extern const std::uint16_t kSymbolPatterns[3][929];

// Start (17 modules) and stop (18 modules) patterns as bits, first module in the top bit.
constexpr std::uint32_t kStartPattern = 0x1FEA8;  // 8 1 1 1 1 1 1 3
constexpr unsigned kStartModules = 17;
constexpr std::uint32_t kStopPattern = 0x3FA29;  // 7 1 1 3 1 1 1 2 1
constexpr unsigned kStopModules = 18;
// The stop pattern of a compact symbol: a single bar module.
constexpr std::uint32_t kCompactStopPattern = 0x1;
constexpr unsigned kCompactStopModules = 1;

}  // namespace torv::pdf417
