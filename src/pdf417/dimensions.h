// SPDX-License-Identifier: Apache-2.0
// Rows and columns for a number of codewords.
#pragma once

#include <cstdint>

#include "pdf417/options.h"

namespace torv::pdf417 {

struct Dimensions {
  bool ok = false;
  std::uint16_t rows = 0;
  std::uint16_t columns = 0;
};

// Arrangement for n codewords (data + check) following the options; ok false when none fits.
Dimensions chooseDimensions(const Pdf417Options& options, std::uint32_t n);

}  // namespace torv::pdf417
