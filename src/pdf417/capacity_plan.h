// SPDX-License-Identifier: Apache-2.0
// The plan: how many codewords the symbol will hold, decided before any data is encoded.
#pragma once

#include <cstdint>

#include "pdf417/options.h"

namespace torv::pdf417 {

// Bytes that k codewords of Byte Compaction hold: (k mod 5) + 6 * floor(k / 5).
constexpr std::uint32_t maxBytes(std::uint32_t k) { return k % 5 + 6 * (k / 5); }

struct CapacityPlan {
  int result = 0;              // 0, or PDF417_ERR_NO_ROOM
  std::uint16_t slots = 0;     // rows x columns planned
  std::uint16_t capacity = 0;  // slots minus check codewords (descriptor included)
  std::uint16_t level = 0;     // the level the plan reserved room for
};

CapacityPlan planCapacity(const Pdf417Options& options);

}  // namespace torv::pdf417
