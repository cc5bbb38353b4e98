// SPDX-License-Identifier: Apache-2.0
// MicroPDF417 symbols of zint and of ours as module matrices, and zint's codewords read back from
// its modules, to compare the two module for module for the same codewords.
#pragma once

#include <zint.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pdf417/micro_encoder.h"
#include "pdf417/symbol_patterns.h"

namespace torv::pdf417::micro_check {

struct Modules {
  int rows = 0;
  int width = 0;
  std::vector<std::uint8_t> dark;  // rows * width, top row first
  bool operator==(const Modules& o) const { return rows == o.rows && width == o.width && dark == o.dark; }
};

struct ZintRequest {
  int columns = 0;  // option_2
  int eci = 0;
  int segmentIndex = 0;  // structured append: 1-based index and count, 0 = none
  int segmentCount = 0;
  std::string fileId;  // numeric ID for zint ("" = none)
};

// zint's symbol for `data` (raw bytes); rows 0 when zint refused it.
inline Modules zintModules(const std::string& data, const ZintRequest& request) {
  const std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> s(ZBarcode_Create(), ZBarcode_Delete);
  s->symbology = BARCODE_MICROPDF417;
  s->input_mode = DATA_MODE;
  s->option_2 = request.columns;
  s->eci = request.eci;
  s->warn_level = WARN_FAIL_ALL;
  if (request.segmentCount > 0) {
    s->structapp.index = request.segmentIndex;
    s->structapp.count = request.segmentCount;
    std::snprintf(s->structapp.id, sizeof s->structapp.id, "%s", request.fileId.c_str());
  }
  Modules m;
  if (ZBarcode_Encode(s.get(), reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size())) >=
      ZINT_ERROR) {
    return m;
  }
  m.rows = s->rows;
  m.width = s->width;
  for (int y = 0; y < m.rows; ++y) {
    for (int x = 0; x < m.width; ++x) m.dark.push_back((s->encoded_data[y][x >> 3] >> (x & 7)) & 1);
  }
  return m;
}

inline Modules ourModules(const MicroSymbol& symbol) {
  Modules m;
  m.rows = symbol.rows;
  m.width = static_cast<int>(symbol.widthModules());
  for (unsigned r = 0; r < symbol.rows; ++r) {
    symbol.moduleRow(r).forEachPiece([&](ModulePiece p) {
      for (unsigned bit = p.count; bit-- > 0;) m.dark.push_back((p.bits >> bit) & 1u);
    });
  }
  return m;
}

// The size of a module matrix, from its width (38, 55, 82, 99 modules) and rows; -1 none.
inline int sizeOf(const Modules& m) {
  for (unsigned c = 1; c <= kMicroMaxColumns; ++c) {
    const int index = microSizeIndex(c, static_cast<unsigned>(m.rows));
    if (index >= 0 && static_cast<int>(kMicroSizes[index].widthModules()) == m.width) return index;
  }
  return -1;
}

// Every codeword of a symbol (data, pads, check codewords) read from its modules by the pattern
// tables; false when a pattern is not a codeword of its row's cluster.
inline bool readCodewords(const Modules& m, int sizeIndex, std::vector<std::uint16_t>& out) {
  static const auto inverse = [] {
    auto* table = new std::array<std::array<std::int16_t, 65536>, 3>();
    for (auto& cluster : *table) cluster.fill(-1);
    for (int c = 0; c < 3; ++c) {
      for (int v = 0; v < 929; ++v) (*table)[c][kSymbolPatterns[c][v]] = static_cast<std::int16_t>(v);
    }
    return table;
  }();
  const MicroSize& size = kMicroSizes[sizeIndex];
  out.clear();
  for (int r = 0; r < m.rows; ++r) {
    const int cluster = (size.cluster / 3 + r) % 3;
    int x = static_cast<int>(kRapModules);
    for (unsigned i = 0; i < size.columns; ++i) {
      if (size.columns >= 3 && i == size.columns - 2u) x += static_cast<int>(kRapModules);
      std::uint32_t bits = 0;
      for (int k = 0; k < 17; ++k) bits = bits << 1 | m.dark[static_cast<std::size_t>(r) * m.width + x + k];
      const int value = (bits >> 16) == 1 ? (*inverse)[cluster][bits & 0xFFFF] : -1;
      if (value < 0) return false;
      out.push_back(static_cast<std::uint16_t>(value));
      x += 17;
    }
  }
  return true;
}

// Our symbol for zint's data codewords (pads included) in zint's size.
inline Modules ourModulesFor(const std::vector<std::uint16_t>& sequence, int sizeIndex) {
  const unsigned data = kMicroSizes[sizeIndex].dataCapacity();
  MicroSymbol symbol;
  if (sequence.size() < data ||
      layOutMicro(sequence.data(), data, data, static_cast<unsigned>(sizeIndex), symbol) != 0) {
    return {};
  }
  return ourModules(symbol);
}

// zint's data codewords without the pads (900) that close them.
inline std::vector<std::uint16_t> dataWithoutPads(const std::vector<std::uint16_t>& sequence, int sizeIndex) {
  std::vector<std::uint16_t> data(sequence.begin(), sequence.begin() + kMicroSizes[sizeIndex].dataCapacity());
  while (!data.empty() && data.back() == 900) data.pop_back();
  return data;
}

}  // namespace torv::pdf417::micro_check
