// SPDX-License-Identifier: Apache-2.0
// Offset/length validation shared by the array read and write operations.
#pragma once

#include <string>

namespace torv::stream {

// True when [offset, offset + length) lies inside an array of arrayLength elements.
inline bool rangeInside(int offset, int length, int arrayLength) {
  const long long end = static_cast<long long>(offset) + length;
  return offset >= 0 && offset <= arrayLength && length >= 0 && end <= arrayLength;
}

std::string indexOutOfBoundsMessage(int offset, int length);

}  // namespace torv::stream
