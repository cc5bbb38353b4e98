// SPDX-License-Identifier: Apache-2.0
// Every Macro PDF417 field of a set, as Java ZXing reports it (PDF417ResultMetadata), and compact
// symbols of every column count read by the same reader. The Java peer reads PGM pictures and prints one line per
// symbol.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pdf417/encoder.h"
#include "pdf417/macro.h"

namespace torv::pdf417 {
namespace {

std::string hex(const std::string& bytes) {
  std::string out;
  char two[3];
  for (const unsigned char b : bytes) {
    std::snprintf(two, sizeof two, "%02x", b);
    out += two;
  }
  return out;
}

// Java ZXing before 3.5 reads the file ID as Text Compaction instead of three digits a codeword:
// the same codewords, shown as Alpha letters (values 0..26 here, so no sub-mode switch occurs).
std::string idAsAlphaText(const std::vector<std::uint16_t>& id) {
  std::string text;
  for (const unsigned codeword : id) {
    for (const unsigned value : {codeword / 30, codeword % 30})
      text += value == 26 ? ' ' : static_cast<char>('A' + value);
  }
  return text;
}

std::string workFile(const std::string& name) { return std::string(TORV_JAVA_WORK_DIR) + "/" + name; }

// The laid-out symbol as a PGM picture: modules 3 pixels wide, rows 9 high, 10 modules of quiet zone.
void writePgm(Encoder& encoder, const std::string& path) {
  std::int32_t size = 0;
  ASSERT_EQ(encoder.write(nullptr, &size), 0);
  const Symbol& symbol = encoder.symbol();
  constexpr int kModule = 3, kRow = 9, kQuiet = 30;
  const int modules = static_cast<int>(symbol.moduleRow(0).widthModules());
  const int width = modules * kModule + 2 * kQuiet;
  const int height = symbol.rows * kRow + 2 * kQuiet;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height, 255);
  for (unsigned r = 0; r < symbol.rows; ++r) {
    int x = kQuiet;
    symbol.moduleRow(r).forEachPiece([&](ModulePiece piece) {
      for (unsigned bit = piece.count; bit-- > 0; x += kModule) {
        if (((piece.bits >> bit) & 1u) == 0) continue;
        for (int y = 0; y < kRow; ++y) {
          std::fill_n(&pixels[static_cast<std::size_t>(kQuiet + r * kRow + y) * width + x], kModule, 0);
        }
      }
    });
  }
  std::ofstream out(path, std::ios::binary);
  out << "P5\n" << width << ' ' << height << "\n255\n";
  out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
}

// The peer's lines for the pictures, in order.
std::vector<std::string> readWithJava(const std::vector<std::string>& pictures) {
  const std::string output = workFile("macro_fields_peer.txt");
  std::string command =
      std::string("'") + TORV_JAVA + "' -cp '" + TORV_JAVA_PEER_DIR + ":" + TORV_ZXING_JAR + "' MacroFieldsPeer";
  for (const std::string& picture : pictures) command += " '" + picture + "'";
  command += " > '" + output + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream in(output);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(MacroFieldsJava, EveryOptionalFieldReadsAsSetAndCompactSymbolsRead) {
  std::mt19937 rng(7);
  std::string data(2000, '\0');
  for (char& c : data) c = static_cast<char>(rng());

  MacroFile file;
  file.fileId = {123, 456, 789, 0};
  file.fileName = "statement-2026.xml.gz";
  file.sender = "Steueramt Z\xFCrich <tax@example.ch>";
  file.addressee = "Anna Muster, Bahnhofstr. 1";
  file.timeStamp = 1796774400;
  file.fileSize = true;
  file.checksum = true;

  Encoder encoder;
  encoder.setEccLevel(3);
  encoder.setSizingMode(SIZING_FIXED);
  ASSERT_EQ(encoder.setRowsColumns(0, 12), 1);
  MacroSet set;
  ASSERT_EQ(set.split(encoder, data.data(), static_cast<std::uint32_t>(data.size()), file), 0);
  ASSERT_GE(set.size(), 3u);

  std::vector<std::string> pictures;
  std::vector<std::string> expected;
  const unsigned checksum = macroChecksum(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
  for (std::size_t i = 0; i < set.size(); ++i) {
    ASSERT_EQ(set.encode(encoder, i), 1);
    pictures.push_back(workFile("macro_fields_" + std::to_string(i) + ".pgm"));
    writePgm(encoder, pictures.back());
    std::ostringstream line;
    line << "text=" << hex(data.substr(set.piece(i).offset, set.piece(i).length)) << " index=" << i
         << " id=123456789000 last=" << (i + 1 == set.size() ? "true" : "false") << " count=" << set.size()
         << " name=" << *file.fileName << " time=1796774400 sender=" << *file.sender << " addressee=" << *file.addressee
         << " size=2000 checksum=" << checksum;
    expected.push_back(line.str());
  }
  // Compact symbols of every column count.
  const std::string plain = "Compact PDF417, read by Java";
  for (int columns = 1; columns <= 30; ++columns) {
    Encoder compact;
    compact.setSizingMode(SIZING_FIXED);
    ASSERT_EQ(compact.setRowsColumns(0, columns), 1);
    compact.setCompact(true);
    ASSERT_EQ(compact.encode(plain.data(), static_cast<std::uint32_t>(plain.size())), 1);
    pictures.push_back(workFile("compact_" + std::to_string(columns) + ".pgm"));
    writePgm(compact, pictures.back());
  }

  const std::vector<std::string> lines = readWithJava(pictures);
  ASSERT_EQ(lines.size(), pictures.size());
  for (std::size_t i = 0; i < set.size(); ++i) {
    std::string line = lines[i];
    const std::string oldId = " id=" + idAsAlphaText(file.fileId) + " ";
    if (const std::size_t at = line.find(oldId); at != std::string::npos)
      line.replace(at, oldId.size(), " id=123456789000 ");
    EXPECT_EQ(line, expected[i]) << "segment " << i;
  }
  for (std::size_t i = set.size(); i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], "text=" + hex(plain)) << "compact, " << i - set.size() + 1 << " columns";
  }
}

}  // namespace
}  // namespace torv::pdf417
