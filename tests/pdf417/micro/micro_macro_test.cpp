// SPDX-License-Identifier: Apache-2.0
// Macro MicroPDF417 sets: each segment module for module against zint's structured append, and
// every set read back from its modules (codewords by the pattern tables; the Macro fields and bytes
// by zxing-cpp from a PDF417 symbol that carries them) into the file it was split from.
#include "pdf417/micro_macro.h"

#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "micro_inputs.h"
#include "pdf417/layout.h"
#include "pdf417/pdf417.h"
#include "zint_micro.h"
#include "zxing_decode.h"

namespace torv::pdf417 {
namespace {

using namespace micro_check;

std::string highBytes(std::mt19937& rng, unsigned n) {
  std::string s;
  for (unsigned i = 0; i < n; ++i) s += static_cast<char>(128 + rng() % 128);
  return s;
}

// The most bytes of `data` from 0 on that one symbol of the set's size holds as a segment before the last.
std::uint32_t mostInOneSymbol(const MicroEncoder& settings, const std::string& data, const MicroMacro& block) {
  MicroEncoder e = settings;
  e.setMacro(block);
  std::uint32_t n = 0;
  while (n < data.size() && e.encode(data.data(), n + 1) == 1) ++n;
  return n;
}

TEST(MicroMacroSet, FewestBalancedSegmentsThatZintDrawsAlike) {
  const struct {
    int columns;
    unsigned bytes;
  } sets[] = {{1, 70}, {2, 300}, {3, 520}, {4, 900}, {4, 40}, {2, 37}};
  std::mt19937 rng(24728);
  for (const auto& c : sets) {
    SCOPED_TRACE(std::to_string(c.columns) + " columns, " + std::to_string(c.bytes) + " bytes");
    const std::string data = highBytes(rng, c.bytes);
    MicroEncoder encoder;
    ASSERT_EQ(encoder.setSize(c.columns, 0), 1);
    MicroMacroFile file;
    file.fileId = {17, 42};
    MicroMacroSet set;
    ASSERT_EQ(set.split(encoder, data.data(), c.bytes, file), 0);
    const auto count = static_cast<int>(set.size());
    // Fewest: one symbol fewer, each full, would not hold the file.
    MicroEncoder widest;
    widest.setSize(c.columns, 0);
    const std::uint32_t most = mostInOneSymbol(widest, data, set.block(0));
    EXPECT_GT(c.bytes, static_cast<std::uint32_t>(count - 1) * most);
    std::uint32_t shortest = c.bytes, longest = 0, next = 0;
    for (int i = 0; i < count; ++i) {
      const MacroPiece& piece = set.piece(static_cast<std::size_t>(i));
      EXPECT_EQ(piece.offset, next);
      next += piece.length;
      shortest = std::min(shortest, piece.length);
      longest = std::max(longest, piece.length);
      ASSERT_EQ(set.encode(encoder, static_cast<std::size_t>(i)), 1);
      ZintRequest request;
      request.columns = c.columns;
      request.segmentIndex = i + 1;
      request.segmentCount = count;
      request.fileId = "017042";
      const Modules z = zintModules(data.substr(piece.offset, piece.length), request);
      if (count == 1) continue;  // zint makes sets of two symbols or more
      ASSERT_GT(z.rows, 0) << "segment " << i;
      EXPECT_TRUE(ourModules(encoder.symbol()) == z) << "segment " << i;
    }
    EXPECT_EQ(next, c.bytes);
    // Balanced: no segment a full symbol while another is nearly empty (6 bytes take 5 codewords).
    if (count > 1) {
      EXPECT_LE(longest - shortest, 12u) << shortest << " to " << longest;
    }
  }
}

// The data codewords of a symbol (pads and control block included), read from its modules by the
// pattern tables.
std::vector<std::uint16_t> readDataCodewords(const MicroSymbol& symbol) {
  const Modules modules = ourModules(symbol);
  const int size = sizeOf(modules);
  std::vector<std::uint16_t> all;
  if (size < 0 || !readCodewords(modules, size, all)) return {};
  all.resize(kMicroSizes[size].dataCapacity());
  return all;
}

// Data codewords, then a control block after the pads (as a PDF417 symbol places it), read by
// zxing-cpp from a PDF417 symbol that carries them.
std::optional<test::Pdf417Reading> readInPdf417(const std::vector<std::uint16_t>& data,
                                                const std::vector<std::uint16_t>& block) {
  CodewordBuffer message;
  for (std::uint16_t c : data) message.append(c);
  Pdf417Options options;
  options.eccExplicit = true;
  options.eccLevel = 2;
  Symbol pdf;
  if (layOut(options, message, pdf, block.data(), static_cast<unsigned>(block.size())) != 0) return std::nullopt;
  std::vector<std::uint8_t> grey;
  for (unsigned r = 0; r < pdf.rows; ++r) {
    pdf.moduleRow(r).forEachPiece([&](ModulePiece p) {
      for (unsigned bit = p.count; bit-- > 0;) grey.push_back((p.bits >> bit) & 1u ? 0 : 255);
    });
  }
  std::string why;
  return test::readPdf417(static_cast<int>(grey.size() / pdf.rows), static_cast<int>(pdf.rows), grey.data(), 0, {},
                          why);
}

TEST(MicroMacroSet, EverySetReadsBackFromItsModules) {
  const struct {
    int columns;
    int rows;
    const char* name;
    bool segmentCount;
    unsigned seed;
  } sets[] = {{4, 0, "", true, 1},   {3, 20, "data.bin", true, 2}, {2, 0, "", false, 3},
              {1, 28, "x", true, 4}, {4, 44, "", true, 5},         {3, 0, "file name.txt", false, 6}};
  for (const auto& c : sets) {
    std::mt19937 rng(c.seed);
    std::string data;
    while (data.size() < 700) data += randomMicroInput(rng);
    SCOPED_TRACE(std::to_string(c.columns) + "x" + std::to_string(c.rows) + " '" + c.name + "'");
    MicroEncoder encoder;
    ASSERT_EQ(encoder.setSize(c.columns, c.rows), 1);
    MicroMacroFile file;
    file.fileName = c.name;
    file.segmentCount = c.segmentCount;
    MicroMacroSet set;
    ASSERT_EQ(set.split(encoder, data.data(), static_cast<std::uint32_t>(data.size()), file), 0);
    ASSERT_GT(set.size(), 1u);
    const std::vector<std::uint16_t> id =
        macroFileIdOf(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
    std::string idDigits;
    for (std::uint16_t v : id) idDigits += std::string(3 - std::to_string(v).size(), '0') + std::to_string(v);
    std::string joined;
    std::uint32_t next = 0;
    for (std::size_t i = 0; i < set.size(); ++i) {
      SCOPED_TRACE("segment " + std::to_string(i));
      ASSERT_EQ(set.encode(encoder, i), 1);
      if (c.rows != 0) {
        EXPECT_EQ(encoder.symbol().rows, c.rows);
      }
      // The pieces follow one another over the whole file.
      const MacroPiece& piece = set.piece(i);
      EXPECT_EQ(piece.offset, next);
      next = piece.offset + piece.length;
      // Read back: the data codewords the encoder made of the piece, pads, then this segment's
      // control block.
      const std::vector<std::uint16_t> read = readDataCodewords(encoder.symbol());
      const std::vector<std::uint16_t>& made = encoder.codewords();
      MicroMacro block;
      block.segmentIndex = static_cast<std::uint32_t>(i);
      block.fileId = id;
      block.fileName = c.name;
      block.segmentCount = c.segmentCount ? static_cast<std::uint32_t>(set.size()) : 0;
      block.last = i + 1 == set.size();
      std::vector<std::uint16_t> control;
      ASSERT_TRUE(appendMicroMacroBlock(block, control));
      ASSERT_GE(made.size(), control.size());
      ASSERT_TRUE(std::equal(control.begin(), control.end(), made.end() - static_cast<long>(control.size())));
      std::vector<std::uint16_t> expected(made.begin(), made.end() - static_cast<long>(control.size()));
      ASSERT_GE(read.size(), made.size());
      expected.resize(read.size() - control.size(), 900);
      expected.insert(expected.end(), control.begin(), control.end());
      EXPECT_EQ(read, expected);
      // The terminator closes the last segment only.
      EXPECT_EQ(read.back() == kMacroTerminator, i + 1 == set.size());
      // The fields and bytes as a reader returns them.
      const auto reading = readInPdf417(
          std::vector<std::uint16_t>(read.begin(), read.end() - static_cast<long>(control.size())), control);
      ASSERT_TRUE(reading);
      EXPECT_EQ(reading->sequenceIndex, static_cast<int>(i));
      if (c.segmentCount) {
        EXPECT_EQ(reading->sequenceSize, static_cast<int>(set.size()));
      }
      EXPECT_EQ(reading->sequenceId, idDigits);
      joined.append(reading->bytes.begin(), reading->bytes.end());
    }
    EXPECT_EQ(next, data.size());
    EXPECT_EQ(joined, data);
  }
  // Refused: a name beyond Text Compaction, an ID codeword above 899.
  MicroEncoder encoder;
  MicroMacroSet set;
  MicroMacroFile bad;
  bad.fileName = "caf\xE9";
  EXPECT_EQ(set.split(encoder, "abc", 3, bad), PDF417_ERR_NO_ARRANGEMENT);
  bad.fileName.clear();
  bad.fileId = {900};
  EXPECT_EQ(set.split(encoder, "abc", 3, bad), PDF417_ERR_NO_ARRANGEMENT);
}

}  // namespace
}  // namespace torv::pdf417
