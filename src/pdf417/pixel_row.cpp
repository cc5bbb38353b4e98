// SPDX-License-Identifier: Apache-2.0
// Drawing one symbol row as packed one-bit pixels (bar = 0, space = 1).
#include <cstring>

#include "pdf417/bitmap_writer.h"
#include "pdf417/micro_encoder.h"

namespace torv::pdf417 {
namespace {

// Packs bit fields most significant bit first.
class BitPacker {
 public:
  explicit BitPacker(std::uint8_t* out) : out_(out) {}

  // Appends the low n bits of value (n <= 32).
  void put(std::uint32_t value, unsigned n) {
    acc_ = (acc_ << n) | value;
    bits_ += n;
    while (bits_ >= 8) {
      bits_ -= 8;
      *out_++ = static_cast<std::uint8_t>(acc_ >> bits_);
    }
  }

  // Flushes a partial byte with zero bits; returns the end of the output.
  std::uint8_t* finish() {
    if (bits_ > 0) *out_++ = static_cast<std::uint8_t>(acc_ << (8 - bits_));
    bits_ = 0;
    return out_;
  }

 private:
  std::uint8_t* out_;
  std::uint64_t acc_ = 0;
  unsigned bits_ = 0;
};

// Pixel bits of a module pattern: spaces are 1.
std::uint32_t inverted(std::uint32_t modules, unsigned n) { return ~modules & ((1u << n) - 1); }

// Appends n modules, first module in bit n-1, each `width` pixels wide: as many modules at a time
// as their pixels fit 32 bits, without a branch per module.
void putWide(BitPacker& packer, std::uint32_t modules, unsigned n, unsigned width) {
  const std::uint32_t space = (1u << width) - 1;  // width <= kMaxModuleWidth < 32
  const unsigned perGroup = 32 / width;
  for (unsigned left = n; left > 0;) {
    const unsigned take = left < perGroup ? left : perGroup;
    std::uint64_t pixels = 0;
    for (unsigned k = 1; k <= take; ++k) {
      const std::uint32_t bar = (modules >> (left - k)) & 1u;
      pixels = pixels << width | (space & (bar - 1u));
    }
    packer.put(static_cast<std::uint32_t>(pixels), take * width);
    left -= take;
  }
}

// Each of the low 32 bits of v doubled: bit i goes to bits 2i and 2i + 1.
std::uint64_t doubled(std::uint32_t v) {
  std::uint64_t x = v;
  x = (x | x << 16) & 0x0000FFFF0000FFFFull;
  x = (x | x << 8) & 0x00FF00FF00FF00FFull;
  x = (x | x << 4) & 0x0F0F0F0F0F0F0F0Full;
  x = (x | x << 2) & 0x3333333333333333ull;
  x = (x | x << 1) & 0x5555555555555555ull;
  return x | x << 1;
}

// Appends n <= 17 modules two pixels wide each (the common module width), without a loop per module.
void putDouble(BitPacker& packer, std::uint32_t modules, unsigned n) {
  const std::uint64_t pixels = doubled(inverted(modules, n));
  const unsigned bits = 2 * n;
  if (bits > 32) {
    packer.put(static_cast<std::uint32_t>(pixels >> 32), bits - 32);
    packer.put(static_cast<std::uint32_t>(pixels), 32);
  } else {
    packer.put(static_cast<std::uint32_t>(pixels), bits);
  }
}

// Draws a row of module pieces (ModuleRow, MicroModuleRow) into out, which the caller cleared.
template <typename Row>
void renderModuleRow(const Row& row, unsigned moduleWidthPx, std::uint8_t* out, std::uint32_t stride) {
  const unsigned width = moduleWidthPx == 0 ? 1 : (moduleWidthPx > kMaxModuleWidth ? kMaxModuleWidth : moduleWidthPx);
  if ((row.widthModules() * width + 7) / 8 > stride) return;  // the row would not fit the caller's buffer
  BitPacker packer(out);
  if (width == 1) {
    row.forEachPiece([&](ModulePiece p) { packer.put(inverted(p.bits, p.count), p.count); });
  } else if (width == 2) {
    row.forEachPiece([&](ModulePiece p) {
      if (p.count <= 17) {
        putDouble(packer, p.bits, p.count);
      } else {
        putWide(packer, p.bits, p.count, 2);
      }
    });
  } else {
    row.forEachPiece([&](ModulePiece p) { putWide(packer, p.bits, p.count, width); });
  }
  packer.finish();
}

}  // namespace

void renderPixelRow(const Symbol& symbol, unsigned r, unsigned moduleWidthPx, std::uint8_t* out, std::uint32_t stride) {
  std::memset(out, 0, stride);
  if (r >= symbol.rows || symbol.codewordsPerRow == 0 || symbol.codewordsPerRow > kMaxColumns + 2) return;
  renderModuleRow(symbol.moduleRow(r), moduleWidthPx, out, stride);
}

void renderMicroPixelRow(const MicroSymbol& symbol, unsigned r, unsigned moduleWidthPx, std::uint8_t* out,
                         std::uint32_t stride) {
  std::memset(out, 0, stride);
  if (r >= symbol.rows || symbol.sizeIndex >= kMicroSizeCount) return;
  renderModuleRow(symbol.moduleRow(r), moduleWidthPx, out, stride);
}

}  // namespace torv::pdf417
