// Byte-for-byte stability of the encoder's output: thousands of the campaign's cases (options of every
// kind, payloads of every kind, failures included) are run through the pdf417* operations and the
// results and a hash of each BMP are compared with a table recorded from an earlier build. Any change
// to a written file, a chosen arrangement or a result code shows up here.
//
// To record the table again (only when a change of output is intended):
//   TORV_RECORD_CORPUS=1 pdf417_corpus_test
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "campaign_cases.h"

namespace {

using namespace torv::test::campaign;
namespace enc = torv::pdf417;

// FNV-1a, 64 bits.
std::uint64_t fnv1a(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (std::uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

// One case through the operations: "encode write size hash" (hash 0 without a BMP).
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
  std::int32_t size = 0;
  int written = encoded == 1 ? enc::pdf417Write(nullptr, &size) : 0;
  std::vector<std::uint8_t> bmp;
  if (encoded == 1 && written == 0) {
    bmp.resize(static_cast<std::size_t>(size));
    enc::Pdf417Stream out;
    enc::pdf417OpenMemory(&out, enc::PDF417_STREAM_OUTPUT, bmp.data(), static_cast<std::uint32_t>(size));
    std::int32_t count = -1;
    written = enc::pdf417Write(&out, &count);
    bmp.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
  }
  enc::pdf417Close(nullptr);
  std::ostringstream s;
  s << encoded << ' ' << written << ' ' << bmp.size() << ' ' << std::hex << (bmp.empty() ? 0 : fnv1a(bmp));
  return s.str();
}

// The campaign's kinds of cases: random options with text, binary, digit and mixed payloads sized to
// the planned room (and past it), then the grid of drawing options and the wide modules.
std::vector<std::string> corpus() {
  std::vector<std::string> lines;
  Rng rng(kSeed + 100);
  for (int i = 0; i < 3200; ++i) {
    const EncodeCase c = randomOptions(rng);
    const int room = plannedRoom(c);
    Bytes b;
    switch (i % 4) {
      case 0:
        b = textPayload(rng, lengthFor(rng, room, 1.6));
        break;
      case 1:
        appendBinary(rng, b, lengthFor(rng, room, 1.15));
        break;
      case 2:
        appendDigits(rng, b, lengthFor(rng, room, 2.9));
        break;
      default:
        b = mixedPayload(rng, lengthFor(rng, room, 1.5));
    }
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
  ASSERT_GE(lines.size(), 3000u);
  if (std::getenv("TORV_RECORD_CORPUS") != nullptr) {
    std::ofstream out(TORV_CORPUS_FILE);
    for (const std::string& line : lines) out << line << '\n';
    GTEST_SKIP() << "recorded " << lines.size() << " cases into " << TORV_CORPUS_FILE;
  }
  std::ifstream in(TORV_CORPUS_FILE);
  ASSERT_TRUE(in) << "missing " << TORV_CORPUS_FILE;
  std::vector<std::string> recorded;
  for (std::string line; std::getline(in, line);) recorded.push_back(line);
  ASSERT_EQ(recorded.size(), lines.size());
  int differences = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != recorded[i] && ++differences <= 10) {
      ADD_FAILURE() << "case " << i << ": now \"" << lines[i] << "\", recorded \"" << recorded[i] << "\"";
    }
  }
  EXPECT_EQ(differences, 0);
}

}  // namespace
