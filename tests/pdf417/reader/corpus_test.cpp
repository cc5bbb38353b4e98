// SPDX-License-Identifier: Apache-2.0
// Byte-for-byte stability: result codes and BMP hashes of campaign-kind cases against a recorded table.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "campaign_cases.h"
#include "pdf417/encoder.h"

namespace {

using namespace torv::test::campaign;
namespace enc = torv::pdf417;

// "encode write size FNV-1a-64" of one case.
std::string outcome(const Bytes& data, const EncodeCase& c) {
  enc::pdf417Reset();
  if (c.eccLevel != EncodeCase::kNoCall) enc::pdf417SetEccLevel(c.eccLevel);
  if (c.sizingMode != EncodeCase::kNoCall) enc::pdf417SetSizingMode(c.sizingMode);
  if (c.setRowsColumns) enc::pdf417SetRowsColumns(c.rows, c.columns);
  if (!c.aspect.empty()) enc::pdf417SetAspectRatio(c.aspect.c_str());
  if (!c.rowHeight.empty()) enc::pdf417SetRowHeightRatio(c.rowHeight.c_str());
  enc::pdf417SetBitmapWriter(c.moduleWidth, c.fileHeader);
  enc::Pdf417Stream in;
  enc::pdf417OpenMemory(&in, enc::PDF417_STREAM_INPUT, const_cast<std::uint8_t*>(data.data()),
                        static_cast<std::uint32_t>(data.size()));
  const int encoded = enc::pdf417Encode(&in, static_cast<std::int32_t>(data.size()));
  Bytes bmp;
  const int written = encoded == 1 ? enc::processEncoder().writeImage(bmp) : 0;
  enc::pdf417Close(nullptr);
  std::uint64_t hash = 14695981039346656037ull;
  for (std::uint8_t b : bmp) hash = (hash ^ b) * 1099511628211ull;
  std::ostringstream s;
  s << encoded << ' ' << written << ' ' << bmp.size() << ' ' << std::hex << (bmp.empty() ? 0 : hash);
  return s.str();
}

// Random options with text, binary, digit and mixed payloads sized to the planned room (and past
// it), then a grid of module widths, row heights and aspects.
std::vector<std::string> corpus() {
  std::vector<std::string> lines;
  Rng rng(kSeed + 100);
  for (int i = 0; i < 3200; ++i) {
    const EncodeCase c = randomOptions(rng);
    const int room = plannedRoom(c);
    Bytes b;
    if (i % 4 == 0) b = textPayload(rng, lengthFor(rng, room, 1.6));
    if (i % 4 == 1) appendBinary(rng, b, lengthFor(rng, room, 1.15));
    if (i % 4 == 2) appendDigits(rng, b, lengthFor(rng, room, 2.9));
    if (i % 4 == 3) b = mixedPayload(rng, lengthFor(rng, room, 1.5));
    lines.push_back(outcome(b, c));
  }
  const Bytes grid = mixedPayload(rng, 150);
  for (int module = 0; module <= 20; ++module) {
    for (const RowHeight& h : kRowHeights) {
      for (const Ratio& a : kAspects) {
        EncodeCase c;
        c.moduleWidth = module;
        c.rowHeight = h.text;
        c.aspect = a.text;
        c.fileHeader = module % 2 == 0;
        if (module <= 4 || (a.value == 50 && h.num <= 3)) lines.push_back(outcome(grid, c));
      }
    }
  }
  return lines;
}

TEST(BmpCorpus, EveryResultAndFileMatchesTheRecordedTable) {
  const std::vector<std::string> lines = corpus();
  if (std::getenv("TORV_RECORD_CORPUS") != nullptr) {
    std::ofstream out(TORV_CORPUS_FILE);
    for (const std::string& line : lines) out << line << '\n';
    GTEST_SKIP() << "recorded " << lines.size() << " cases into " << TORV_CORPUS_FILE;
  }
  std::ifstream in(TORV_CORPUS_FILE);
  std::vector<std::string> recorded;
  for (std::string line; std::getline(in, line);) recorded.push_back(line);
  ASSERT_EQ(recorded.size(), lines.size()) << TORV_CORPUS_FILE;
  int differences = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != recorded[i] && ++differences <= 10) {
      ADD_FAILURE() << "case " << i << ": now \"" << lines[i] << "\", recorded \"" << recorded[i] << "\"";
    }
  }
  EXPECT_EQ(differences, 0);
}

}  // namespace
