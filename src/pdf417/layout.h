// SPDX-License-Identifier: Apache-2.0
// Laying out a message: level, arrangement, pads, length descriptor and check codewords.
#pragma once

#include "pdf417/codeword_buffer.h"
#include "pdf417/options.h"
#include "pdf417/symbol.h"

namespace torv::pdf417 {

// Lays the message out into symbol (sequence and matrix). Returns 0, or
// PDF417_ERR_NO_ARRANGEMENT when no arrangement holds it (symbol is then unchanged).
// `trailer` codewords (a Macro PDF417 control block) end the data, after the pad codewords.
int layOut(const Pdf417Options& options, const CodewordBuffer& message, Symbol& symbol,
           const std::uint16_t* trailer = nullptr, unsigned trailerCount = 0);

}  // namespace torv::pdf417
