// The layout step of a write: level, arrangement, pads, length descriptor, check codewords.
#include "pdf417/symbol_layout.h"

#include "pdf417/dimensions.h"
#include "pdf417/ecc_level.h"
#include "pdf417/pdf417.h"
#include "pdf417/reed_solomon.h"
#include "pdf417/row_builder.h"

namespace torv::pdf417 {

namespace {
constexpr std::uint16_t kPadCodeword = 900;
}

int layoutSymbol(const Pdf417Options& options, CodewordBuffer& buffer, SymbolLayout& layout) {
  const unsigned n = buffer.count;
  unsigned level = chooseEccLevel(options, n);
  const Dimensions dims = chooseDimensions(options, n + eccCodewordCount(level));
  if (!dims.ok) return PDF417_ERR_NO_ARRANGEMENT;
  const unsigned slots = unsigned{dims.rows} * dims.columns;
  if (slots > kMaxSlots || slots < n + eccCodewordCount(level)) return PDF417_ERR_NO_ARRANGEMENT;

  unsigned pads = slots - eccCodewordCount(level) - n;
  // Spare pads buy more error correction while they pay for the next level.
  while (options.eccAutoRaise && level < 8) {
    const unsigned cost = eccCodewordCount(level + 1) - eccCodewordCount(level);
    if (pads < cost) break;
    pads -= cost;
    ++level;
  }
  for (unsigned i = 0; i < pads; ++i) buffer.entries[n + i] = kPadCodeword;
  buffer.entries[0] = static_cast<std::uint16_t>(n + pads);
  rsEncode(buffer.entries, n + pads, eccCodewordCount(level), buffer.entries + n + pads);

  layout.rows = dims.rows;
  layout.columns = dims.columns;
  layout.codewordsPerRow = static_cast<std::uint16_t>(dims.columns + 2);
  layout.eccLevel = static_cast<std::uint16_t>(level);
  layout.padCount = static_cast<std::uint16_t>(pads);
  layout.dataCount = static_cast<std::uint16_t>(n);
  layout.rowHeightNum = options.rowHeightNum;
  layout.rowHeightDen = options.rowHeightDen;
  buildRows(layout, buffer.entries);
  return 0;
}

}  // namespace torv::pdf417
