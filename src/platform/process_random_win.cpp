// SPDX-License-Identifier: Apache-2.0
// rand_s is declared only when this is defined before the C runtime's headers; it lives in the
// C runtime the DLL already imports, so the system's random source costs no new dependency.
#define _CRT_RAND_S
#include <stdlib.h>

#include <chrono>

#include "platform/process_random.h"

namespace torv::platform {

std::uint64_t randomWord() {
  unsigned int high = 0;
  unsigned int low = 0;
  if (rand_s(&high) == 0 && rand_s(&low) == 0) return (static_cast<std::uint64_t>(high) << 32) | low;
  std::uint64_t word = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  word ^= reinterpret_cast<std::uintptr_t>(&word);
  return word;
}

}  // namespace torv::platform
