// SPDX-License-Identifier: Apache-2.0
#include "pdf417/layout.h"

#include <algorithm>

#include "pdf417/dimensions.h"
#include "pdf417/ecc_rules.h"
#include "pdf417/pdf417.h"
#include "pdf417/reed_solomon.h"

namespace torv::pdf417 {

namespace {
constexpr std::uint16_t kPadCodeword = 900;
}

int layOut(const Pdf417Options& options, const CodewordBuffer& message, Symbol& symbol, const std::uint16_t* trailer,
           unsigned trailerCount) {
  const unsigned n = message.count + trailerCount;
  const unsigned startLevel = writeLevel(options, n);
  const Dimensions dims = chooseDimensions(options, n + eccCodewordCount(startLevel));
  if (!dims.ok) return PDF417_ERR_NO_ARRANGEMENT;
  const unsigned slots = unsigned{dims.rows} * dims.columns;
  if (slots > kMaxSlots || slots < n + eccCodewordCount(startLevel)) return PDF417_ERR_NO_ARRANGEMENT;

  const RaisedLevel raised = raiseLevel(options, startLevel, slots - eccCodewordCount(startLevel) - n);
  const unsigned data = n + raised.pads;
  std::uint16_t* sequence = symbol.sequence;
  std::copy(message.entries + 1, message.entries + message.count, sequence + 1);
  std::fill(sequence + message.count, sequence + message.count + raised.pads, kPadCodeword);
  if (trailerCount != 0) std::copy(trailer, trailer + trailerCount, sequence + message.count + raised.pads);
  sequence[0] = static_cast<std::uint16_t>(data);
  rsEncode(sequence, data, eccCodewordCount(raised.level), sequence + data);

  symbol.rows = dims.rows;
  symbol.columns = dims.columns;
  symbol.eccLevel = static_cast<std::uint16_t>(raised.level);
  symbol.padCount = static_cast<std::uint16_t>(raised.pads);
  symbol.dataCount = static_cast<std::uint16_t>(n);
  symbol.rowHeightNum = options.rowHeightNum;
  symbol.rowHeightDen = options.rowHeightDen;
  symbol.compact = options.compact;
  buildRows(symbol, sequence);
  return 0;
}

}  // namespace torv::pdf417
