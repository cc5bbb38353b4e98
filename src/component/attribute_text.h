// SPDX-License-Identifier: Apache-2.0
// Attribute values travel as wide decimal text.
#pragma once

#include <cstdint>
#include <string>

namespace torv::component {

// "%d": an optional minus sign and decimal digits, no leading zeros or spaces.
std::u16string formatAttributeValue(std::int32_t value);

// Leading white space skipped, an optional sign, then the decimal digits up to the first other
// character; no digits (or a null text) gives 0, values beyond 32 bits are clamped to the range.
std::int32_t parseAttributeValue(const char16_t* text);

}  // namespace torv::component
