// The encoder's process-wide state. One call sequence at a time; no lock.
#pragma once

#include "pdf417/codeword_buffer.h"
#include "pdf417/options.h"
#include "pdf417/symbol_layout.h"

namespace torv::pdf417 {

struct EncoderState {
  Pdf417Options options;
  CodewordBuffer buffer;
  bool encoded = false;  // buffer holds the message of the last successful encode
  SymbolLayout layout;
};

EncoderState& encoderState();

}  // namespace torv::pdf417
