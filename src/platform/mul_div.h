// SPDX-License-Identifier: Apache-2.0
// Multiply-then-divide with the conventions of the Windows service of the same purpose.
#pragma once

namespace torv::platform {

// number * numerator / denominator over a 64-bit intermediate, rounded to the nearest integer
// (halves away from zero). Returns -1 when denominator is 0 or the result does not fit 32 bits.
int mulDiv(int number, int numerator, int denominator);

}  // namespace torv::platform
