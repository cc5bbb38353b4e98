// SPDX-License-Identifier: Apache-2.0
// Names of numbered pictures: an output name with one %d (%5d, %05d: width and zero padding) for the
// number and %% for a percent sign, e.g. -o tax-%02d.png.
#pragma once

#include <string>

namespace torv::tools {

// UsageError naming `option` unless the pattern has exactly one %d, %Nd or %0Nd (N one or two digits)
// and no other % sequence than %%.
void checkNumberedName(const std::string& option, const std::string& pattern);

// The pattern with `number` in place of its %d and % for each %%.
std::string numberedName(const std::string& pattern, long number);

}  // namespace torv::tools
