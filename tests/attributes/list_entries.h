// SPDX-License-Identifier: Apache-2.0
// A list's entries as plain pairs, in order, for comparing lists in tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "attributes/CJTorvAttributeList.h"

namespace torv::testing {

using Entries = std::vector<std::pair<std::string, std::string>>;

inline Entries entriesOf(const CJTorvAttributeList& list) {
  Entries entries;
  for (int i = 0; i < list.size(); ++i) entries.emplace_back(list.getName(i), list.getValue(i));
  return entries;
}

}  // namespace torv::testing
