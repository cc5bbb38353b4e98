// Items of a batch and the names of their pictures.
#pragma once

#include <string>
#include <vector>

namespace torv::tools {

// The items of the data, each ended by `separator` ('\n' or '\0'); the last one need not be. With
// line ends, a carriage return before the line end is not part of the item.
std::vector<std::string> splitItems(const std::string& data, char separator);

// The pattern (checked by the options: one %d, %5d or %05d, and %% for a percent sign) with the
// item's number in place of its %d.
std::string itemFileName(const std::string& pattern, long number);

}  // namespace torv::tools
