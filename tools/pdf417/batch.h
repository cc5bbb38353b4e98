// SPDX-License-Identifier: Apache-2.0
// Items of a batch and the names of their pictures.
#pragma once

#include <cstdio>
#include <string>

namespace torv::tools {

// Reads the items of a batch one at a time, each ended by `separator` ('\n' or '\0'; the last one
// need not be), so memory holds one item whatever the batch's length. With line ends, a carriage
// return before the line end is not part of the item.
class ItemReader {
 public:
  ItemReader(std::FILE* in, char separator) : in_(in), separator_(separator) {}
  // The next item into `item`; false at the end. InputError when reading fails.
  bool next(std::string& item);

 private:
  std::FILE* in_;
  char separator_;
};

// The pattern (checked by the options: one %d, %5d or %05d, and %% for a percent sign) with the
// item's number in place of its %d.
std::string itemFileName(const std::string& pattern, long number);

}  // namespace torv::tools
