// SPDX-License-Identifier: Apache-2.0
#include "numbered_names.h"

#include "command_line.h"

namespace torv::tools {
namespace {

// The end of the % sequence at `at` ('d' included), or npos when it is none of %d, %Nd, %0Nd.
std::size_t numberEnd(const std::string& pattern, std::size_t at) {
  std::size_t end = at + 1;
  while (end < pattern.size() && end - at <= 3 && pattern[end] >= '0' && pattern[end] <= '9') ++end;
  const std::size_t digits = end - at - 1;
  const bool zeroPadded = digits > 0 && pattern[at + 1] == '0';
  if (end >= pattern.size() || pattern[end] != 'd' || digits - (zeroPadded ? 1 : 0) > 2) return std::string::npos;
  return end + 1;
}

}  // namespace

void checkNumberedName(const std::string& option, const std::string& pattern) {
  int numbers = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      ++i;
      continue;
    }
    const std::size_t end = numberEnd(pattern, i);
    if (end == std::string::npos) {
      throw UsageError(option + " names its pictures from -o with one %d, %05d or the like; '" + pattern +
                       "' has another % sequence (write %% for a percent sign)");
    }
    ++numbers;
    i = end - 1;
  }
  if (numbers != 1) {
    throw UsageError(option + " needs -o with one %d (or %05d) for the picture's number, e.g. -o part-%02d.png");
  }
}

std::string numberedName(const std::string& pattern, long number) {
  std::string name;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      name += pattern[i];
    } else if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      name += '%';
      ++i;
    } else {
      const std::size_t end = numberEnd(pattern, i);
      if (end == std::string::npos) {  // unchecked pattern: kept as it is
        name += pattern[i];
        continue;
      }
      const bool zeros = pattern[i + 1] == '0';
      std::size_t width = 0;
      for (std::size_t k = i + 1; k + 1 < end; ++k) width = width * 10 + static_cast<std::size_t>(pattern[k] - '0');
      const std::string digits = std::to_string(number);
      if (digits.size() < width) name.append(width - digits.size(), zeros ? '0' : ' ');
      name += digits;
      i = end - 1;
    }
  }
  return name;
}

}  // namespace torv::tools
