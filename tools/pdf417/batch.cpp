// SPDX-License-Identifier: Apache-2.0
#include "batch.h"

#include "text_input.h"

namespace torv::tools {

bool ItemReader::next(std::string& item) {
  item.clear();
  int c = std::getc(in_);
  if (c == EOF) {
    if (std::ferror(in_) != 0) throw InputError("cannot read the batch's items");
    return false;
  }
  for (; c != EOF && c != static_cast<unsigned char>(separator_); c = std::getc(in_)) item += static_cast<char>(c);
  if (c == EOF && std::ferror(in_) != 0) throw InputError("cannot read the batch's items");
  if (separator_ == '\n' && !item.empty() && item.back() == '\r') item.pop_back();
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

}  // namespace torv::tools
