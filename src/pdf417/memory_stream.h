// SPDX-License-Identifier: Apache-2.0
// Block writes and closing of the memory streams.
#pragma once

#include <cstdint>

#include "pdf417/pdf417.h"

namespace torv::pdf417 {

bool isInputStream(const Pdf417Stream* stream);
bool isOutputStream(const Pdf417Stream* stream);

// Appends a block to an output stream; refuses (false) when it would pass the capacity.
bool streamWrite(Pdf417Stream* stream, const void* block, std::uint32_t size);

}  // namespace torv::pdf417
