// SPDX-License-Identifier: Apache-2.0
// The saved form of an instance: 20 bytes, the five attributes in list order, each a 32-bit
// two's-complement value with the most significant byte first. No header, version or checksum.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "component/torv_pdf417_comp.h"

namespace torv::component {

constexpr std::size_t kSavedRecordSize = 20;
using SavedRecord = std::array<unsigned char, kSavedRecordSize>;

SavedRecord saveRecord(const TorvPdf417Comp& instance);

// Replaces all five attributes at once from a record that saveRecord produced.
void restoreRecord(TorvPdf417Comp& instance, const unsigned char* record);

}  // namespace torv::component
