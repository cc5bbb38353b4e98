// SPDX-License-Identifier: Apache-2.0
// MulDiv on Windows: the system's own.
#include <windows.h>

#include "platform/mul_div.h"

namespace torv::platform {

int mulDiv(int number, int numerator, int denominator) { return MulDiv(number, numerator, denominator); }

}  // namespace torv::platform
