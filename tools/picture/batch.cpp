// SPDX-License-Identifier: Apache-2.0
#include "batch.h"

#include "command_line.h"

namespace torv::tools {

bool ItemReader::next(std::string& item) {
  item.clear();
  bool cut = false;
  int c = std::getc(in_);
  if (c == EOF) {
    if (std::ferror(in_) != 0) throw BatchReadError("cannot read the batch's items");
    return false;
  }
  const int end = static_cast<unsigned char>(separator_);
  for (; c != EOF && c != end; c = std::getc(in_)) {
    if (item.size() < maxBytes_) {
      item += static_cast<char>(c);
    } else {
      cut = true;
    }
  }
  if (c == EOF && std::ferror(in_) != 0) throw BatchReadError("cannot read the batch's items");
  if (separator_ == '\n' && !cut && !item.empty() && item.back() == '\r') item.pop_back();
  return true;
}

std::string itemFileName(const std::string& pattern, long number) {
  std::string name;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      name += pattern[i];
    } else if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      name += '%';
      ++i;
    } else {
      std::size_t end = i + 1;
      const bool zeros = end < pattern.size() && pattern[end] == '0';
      std::size_t width = 0;
      for (; end < pattern.size() && pattern[end] >= '0' && pattern[end] <= '9'; ++end) {
        width = width * 10 + static_cast<std::size_t>(pattern[end] - '0');
      }
      const std::string digits = std::to_string(number);
      if (digits.size() < width) name.append(width - digits.size(), zeros ? '0' : ' ');
      name += digits;
      i = end;  // the 'd'
    }
  }
  return name;
}

void checkItemFilePattern(const std::string& option, const std::string& pattern) {
  int numbers = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < pattern.size() && end - i <= 2 && pattern[end] >= '0' && pattern[end] <= '9') ++end;
    if (end >= pattern.size() || pattern[end] != 'd') {
      throw UsageError(option + " names its pictures from -o with one %d, %05d or the like; '" + pattern +
                       "' has another % sequence (write %% for a percent sign)");
    }
    ++numbers;
    i = end;
  }
  if (numbers != 1) {
    throw UsageError(option + " needs -o with one %d (or %05d) for the picture's number, e.g. -o label-%05d.svg");
  }
}

}  // namespace torv::tools
