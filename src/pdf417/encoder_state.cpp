#include "pdf417/encoder_state.h"

#include "pdf417/last_symbol.h"

namespace torv::pdf417 {

EncoderState& encoderState() {
  static EncoderState state;
  return state;
}

Pdf417Options& encoderOptions() { return encoderState().options; }

const CodewordBuffer& pdf417LastCodewords() { return encoderState().buffer; }
const SymbolLayout& pdf417LastLayout() { return encoderState().layout; }
bool pdf417HasEncodedMessage() { return encoderState().encoded; }

}  // namespace torv::pdf417
