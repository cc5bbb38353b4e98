// SPDX-License-Identifier: Apache-2.0
#include "batch_runner.h"

namespace torv::tools {

int jobCount(int requested) {
  if (requested > 0) return requested;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? static_cast<int>(cores) : 1;
}

}  // namespace torv::tools
