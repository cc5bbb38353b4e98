// The error-correction level of a written symbol.
#pragma once

#include <cstdint>

#include "pdf417/options.h"

namespace torv::pdf417 {

// Level 0..8 for dataCount data codewords (length descriptor included).
unsigned chooseEccLevel(const Pdf417Options& options, unsigned dataCount);

}  // namespace torv::pdf417
