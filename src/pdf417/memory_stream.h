// Block writes and closing of the memory streams.
#pragma once

#include <cstdint>

#include "pdf417/pdf417.h"

namespace torv::pdf417 {

bool isInputStream(const Pdf417Stream* stream);
bool isOutputStream(const Pdf417Stream* stream);

// Appends a block to an output stream; refuses (false) when it would pass the capacity.
bool streamWrite(Pdf417Stream* stream, const void* block, std::uint32_t size);

// Back to idle; the read cursor stays where it is.
void streamClose(Pdf417Stream* stream);

}  // namespace torv::pdf417
