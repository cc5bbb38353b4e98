// SPDX-License-Identifier: Apache-2.0
#include "platform/process_random.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>

#include <sys/random.h>

namespace torv::platform {

std::uint64_t randomWord() {
  std::uint64_t word = 0;
  ssize_t got;
  do {
    got = getrandom(&word, sizeof word, 0);
  } while (got < 0 && errno == EINTR);
  if (got == static_cast<ssize_t>(sizeof word)) return word;
  // No getrandom (old kernel, seccomp): the runtime's device, mixed with the clock and the
  // address of a local so that even a deterministic device gives per-process bits.
  std::random_device device;
  word = (static_cast<std::uint64_t>(device()) << 32) ^ device();
  word ^= static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  word ^= reinterpret_cast<std::uintptr_t>(&word);
  return word;
}

}  // namespace torv::platform
