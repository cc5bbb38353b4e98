// SPDX-License-Identifier: Apache-2.0
// Parsing of the ratio texts ("h:w") that the aspect and row height setters take.
#pragma once

#include <cstdint>

namespace torv::pdf417 {

// One side of a ratio, [begin, end), in hundredths: digits with at most one '.', anything
// after the second decimal place ignored. Valid (true) only for 0.01..99.99.
bool parseHundredths(const char* begin, const char* end, std::uint32_t& hundredths);

}  // namespace torv::pdf417
