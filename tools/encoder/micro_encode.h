// SPDX-License-Identifier: Apache-2.0
// pdf417-encode --micro: the data as a MicroPDF417 symbol, written as the command writes PDF417.
#pragma once

#include <string>

#include "encode_options.h"

namespace torv::tools {

// Encodes `data` (with extended channel `eci`, -1 none) and writes the picture the options ask
// for to `output`; returns what -v says of it. UsageError for a size the options cannot have;
// std::runtime_error when the data does not fit or the picture cannot be written.
std::string writeMicroSymbol(const std::string& data, int eci, const EncodeOptions& options, const std::string& output);

// --micro --macro: `data` split over the fewest MicroPDF417 symbols of the size the options ask for
// (--columns, 4 when none; --rows, else as few as each symbol takes), one picture each, named from
// -o's %d and numbered from 1; returns what -v says of the set. Errors as writeMicroSymbol's.
std::string writeMicroMacroSet(const std::string& data, int eci, const EncodeOptions& options);

}  // namespace torv::tools
