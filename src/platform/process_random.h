// SPDX-License-Identifier: Apache-2.0
// Unpredictable bits for values that must differ from process to process (hash keys).
#pragma once

#include <cstdint>

namespace torv::platform {

// 64 bits from the system's random source. Never fails: should the source be unavailable, the
// bits come from the best the process has at hand (clock, addresses), which is still not a
// constant an outsider can look up.
std::uint64_t randomWord();

}  // namespace torv::platform
