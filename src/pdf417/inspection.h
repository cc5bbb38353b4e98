// Read-only views of the encoder's process-wide state, for tests and tools.
#pragma once

#include "pdf417/codeword_buffer.h"
#include "pdf417/symbol_layout.h"

namespace torv::pdf417 {

// The codeword buffer. After a write, entries[0 .. layout.rows * layout.columns) hold the
// complete sequence: length descriptor, data, pads, check codewords.
const CodewordBuffer& pdf417LastCodewords();

// The layout of the last write (rows, columns, eccLevel, pads, matrix with indicators).
const SymbolLayout& pdf417LastLayout();

// Whether an encoded message is held.
bool pdf417HasEncodedMessage();

}  // namespace torv::pdf417
