// SPDX-License-Identifier: Apache-2.0
#include "pdf417/capacity_plan.h"

#include <algorithm>

#include "pdf417/codeword_buffer.h"
#include "pdf417/ecc_rules.h"
#include "pdf417/pdf417.h"

namespace torv::pdf417 {

namespace {

// Slots of a bounded search: the widest column count first, while the rows that 928
// slots would need still stay within the row bound.
unsigned boundedSlots(unsigned rows, unsigned columns) {
  if (rows * columns <= kMaxSlots) return rows * columns;
  unsigned best = 0;
  for (unsigned c = columns; c >= 1; --c) {
    const unsigned perColumn = kMaxSlots / c;
    if (perColumn > rows && c != columns) break;
    best = std::max(best, c * perColumn);
  }
  return best;
}

unsigned plannedSlots(const Pdf417Options& o) {
  if (o.sizingMode != SIZING_FIXED) return boundedSlots(o.rows, o.columns);
  if (o.rows != 0 && o.columns != 0) return unsigned{o.rows} * o.columns;
  if (o.rows == 0) {
    if (o.columns == 0) return 0;
    return o.columns * std::min(kMaxSlots / o.columns, 90u);
  }
  return o.rows * std::min(kMaxSlots / o.rows, 30u);
}

}  // namespace

CapacityPlan planCapacity(const Pdf417Options& o) {
  CapacityPlan plan;
  const unsigned slots = plannedSlots(o);
  const unsigned level = plannedLevel(o, slots);
  plan.level = static_cast<std::uint16_t>(level);
  const unsigned check = eccCodewordCount(level);
  if (slots < 1 || check >= slots - 1) {
    plan.result = PDF417_ERR_NO_ROOM;
    return plan;
  }
  plan.slots = static_cast<std::uint16_t>(slots);
  plan.capacity = static_cast<std::uint16_t>(slots - check);
  return plan;
}

}  // namespace torv::pdf417
