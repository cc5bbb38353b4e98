// SPDX-License-Identifier: Apache-2.0
#include "pdf417/symbol.h"

namespace torv::pdf417 {

void buildRows(Symbol& layout, const std::uint16_t* sequence) {
  const unsigned rows = layout.rows;
  const unsigned columns = layout.columns;
  if (rows == 0 || rows > kMaxRows || columns == 0 || columns > kMaxColumns) return;
  layout.codewordsPerRow = static_cast<std::uint16_t>(columns + 2);
  const unsigned x = (rows - 1) / 3;
  const unsigned y = 3 * layout.eccLevel + (rows - 1) % 3;
  const unsigned z = columns - 1;
  for (unsigned r = 0; r < rows; ++r) {
    const unsigned base = 30 * (r / 3);
    unsigned left = 0;
    unsigned right = 0;
    switch (r % 3) {
      case 0:
        left = base + x;
        right = base + z;
        break;
      case 1:
        left = base + y;
        right = base + x;
        break;
      default:
        left = base + z;
        right = base + y;
        break;
    }
    std::uint16_t* out = layout.matrix + r * (columns + 2);
    out[0] = static_cast<std::uint16_t>(left);
    for (unsigned c = 0; c < columns; ++c) out[1 + c] = sequence[r * columns + c];
    out[columns + 1] = static_cast<std::uint16_t>(right);
  }
}

}  // namespace torv::pdf417
