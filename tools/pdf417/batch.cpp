#include "batch.h"

namespace torv::tools {

std::vector<std::string> splitItems(const std::string& data, char separator) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start < data.size()) {
    std::size_t end = data.find(separator, start);
    if (end == std::string::npos) end = data.size();
    std::size_t itemEnd = end;
    if (separator == '\n' && itemEnd > start && data[itemEnd - 1] == '\r') --itemEnd;
    items.push_back(data.substr(start, itemEnd - start));
    start = end + 1;
  }
  return items;
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
