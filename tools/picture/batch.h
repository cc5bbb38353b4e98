// SPDX-License-Identifier: Apache-2.0
// Items of a batch, the names of their pictures, and the report of a whole batch, shared by the
// pdf417 and pdf417-encode commands.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

namespace torv::tools {

// The items of a batch could not be read.
class BatchReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the items of a batch one at a time, each ended by `separator` ('\n' or '\0'; the last one
// need not be), so memory holds one item whatever the batch's length. With line ends, a carriage
// return before the line end is not part of the item. An item longer than `maxBytes` is cut there
// and the rest skipped: a reader that refuses long items asks for one byte more than it takes.
class ItemReader {
 public:
  ItemReader(std::FILE* in, char separator, std::size_t maxBytes = static_cast<std::size_t>(-1))
      : in_(in), separator_(separator), maxBytes_(maxBytes) {}
  // The next item into `item`; false at the end. BatchReadError when reading fails.
  bool next(std::string& item);

 private:
  std::FILE* in_;
  char separator_;
  std::size_t maxBytes_;
};

// The pattern (checked by checkItemFilePattern) with the item's number in place of its %d.
std::string itemFileName(const std::string& pattern, long number);

// A batch names its pictures from -o with one %d, %5d or %05d (and %% for a percent sign);
// UsageError otherwise.
// UsageError naming `option` (--batch, --macro) unless the pattern has exactly one %d, %Nd or %0Nd
// and no other % sequence than %%.
void checkItemFilePattern(const std::string& option, const std::string& pattern);

}  // namespace torv::tools
