// SPDX-License-Identifier: Apache-2.0
// Random inputs for MicroPDF417 comparisons: digits, text, punctuation runs, binary and mixtures,
// of lengths that reach every size from the smallest to the largest.
#pragma once

#include <random>
#include <string>

namespace torv::pdf417::micro_check {

inline std::string randomMicroInput(std::mt19937& rng) {
  static const std::string kText = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz      0123456789";
  static const std::string kPunct = ";<>@[\\]_`~!\r\t,:\n-.$/\"|*()?{}'&#+%=^";
  const int kind = static_cast<int>(rng() % 6);
  // Lengths spread so that every kind reaches the largest sizes and beyond.
  const int maxLength = kind == 0 ? 380 : kind == 3 ? 160 : 260;
  // Half of them short enough for the narrow sizes.
  const int length = 1 + static_cast<int>(rng() % static_cast<unsigned>(rng() % 2 ? maxLength / 6 : maxLength));
  std::string s;
  for (int i = 0; i < length; ++i) {
    int k = kind;
    if (kind == 5) k = static_cast<int>(rng() % 5);  // a mixture, byte by byte
    if (kind == 4) k = (i / 7) % 4;                  // runs of each kind
    switch (k) {
      case 0:
        s += static_cast<char>('0' + rng() % 10);
        break;
      case 1:
        s += kText[rng() % kText.size()];
        break;
      case 2:
        s += kPunct[rng() % kPunct.size()];
        break;
      default:
        s += static_cast<char>(rng() % 256);
        break;
    }
  }
  return s;
}

}  // namespace torv::pdf417::micro_check
