// SPDX-License-Identifier: Apache-2.0
#include <cstdio>
#include <cstdlib>

#include "fuzz_input.h"

namespace torv::fuzz {

void checkFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, condition);
  std::fflush(stderr);
  std::abort();
}

}  // namespace torv::fuzz
