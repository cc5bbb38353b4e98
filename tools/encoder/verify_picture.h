// SPDX-License-Identifier: Apache-2.0
// pdf417-encode --verify: a written picture read back by pdf417-verify, a separate program that
// links zxing-cpp, so that a reader failing on a bad picture cannot take the command with it.
#pragma once

#include <string>

namespace torv::tools {

// Whether this build can read pictures back at all (not on Windows, where there is no reader).
bool verifyAvailable();

// Reads the picture at `path` back and compares its payload with `expected`. Returns an empty
// string when they agree, else what went wrong (nothing read, other bytes, no reader program).
std::string verifyPicture(const std::string& path, const std::string& expected);

}  // namespace torv::tools
