// SPDX-License-Identifier: Apache-2.0
#include "component/saved_record.h"

namespace torv::component {

SavedRecord saveRecord(const TorvPdf417Comp& instance) {
  SavedRecord record{};
  for (int i = 0; i < kAttributeCount; ++i) {
    const auto bits = static_cast<std::uint32_t>(instance.value(static_cast<Attribute>(i)));
    for (int byte = 0; byte < 4; ++byte) {
      record[4 * i + byte] = static_cast<unsigned char>(bits >> (24 - 8 * byte));
    }
  }
  return record;
}

void restoreRecord(TorvPdf417Comp& instance, const unsigned char* record) {
  TorvPdf417Comp restored;
  for (int i = 0; i < kAttributeCount; ++i) {
    std::uint32_t bits = 0;
    for (int byte = 0; byte < 4; ++byte) bits = bits << 8 | record[4 * i + byte];
    restored.setValue(static_cast<Attribute>(i), static_cast<std::int32_t>(bits));
  }
  instance = restored;
}

}  // namespace torv::component
