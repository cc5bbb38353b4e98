// SPDX-License-Identifier: Apache-2.0
// The pdf417-encode command, run as a user runs it: its options agree with pdf417's, every
// picture format reads back, and UTF-8 text comes back as text.
#define ZX_USE_UTF8
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "bmp_reader.h"
#include "command_run.h"
#include "zxing_decode.h"

namespace {

using torv::test::Gray;
using torv::test::Outcome;
using torv::test::readPng;
using torv::test::TempFile;

Outcome runCommand(const std::string& arguments) { return torv::test::runProgram(PDF417_ENCODE_COMMAND, arguments); }

std::string fileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::string decode(const Gray& gray) {
  if (gray.width == 0) return "<no picture>";
  std::string why;
  const auto bytes = torv::test::decodePdf417(gray.width, gray.height, gray.pixels.data(), 0, {}, why);
  return bytes ? std::string(bytes->begin(), bytes->end()) : "<unread: " + why + ">";
}

// The white columns left of the first dark pixel of the middle row.
int leftMargin(const Gray& gray) {
  const std::uint8_t* row = gray.pixels.data() + static_cast<std::size_t>(gray.height / 2) * gray.width;
  int x = 0;
  while (x < gray.width && row[x] > 127) ++x;
  return x;
}

TEST(Pdf417EncodeCommand, OptionsAgreeWithThePdf417CommandAndRefusalsSayWhy) {
  const TempFile out("encode_options.bmp");
  const std::string o = " -o '" + out.path() + "' ";
  const struct {
    std::string arguments;
    int exitCode;
    const char* says;
  } cases[] = {
      {"--level auto -r 0 -c 0" + o + "x", 0, ""},
      {"-r 0 -c 3" + o + "x", 0, ""},
      {"--version", 0, "pdf417-encode "},
      {"--help", 0, "use pdf417"},
      {"--help", 0, "Examples:\n  pdf417-encode "},
      {"x", 2, "no output file given"},
      {"-r 2" + o + "x", 2, "--rows must be 0"},
      {"-r 40 -c 30" + o + "x", 2, "at most 928"},
      {"--level 9" + o + "x", 2, "--level takes a whole number from 0 to 8"},
      {"--quiet-zone 101" + o + "x", 2, "--quiet-zone takes a whole number from 0 to 100"},
      {"-o picture.gif x", 2, "name it .png, .bmp, .svg, .eps or .pdf"},
      {"--eci latin" + o + "x", 2, "--eci is utf8, none or a channel number"},
      {"--compaction least" + o + "x", 2, "--compaction is rules or fewest"},
      {"--eci utf8" + o + "\"$(printf 'a\\377')\"", 1, "--eci utf8 needs UTF-8 data"},
      {"--no-file-header --quiet-zone 2" + o + "x", 2, "has no quiet zone"},
      {"--no-file-header -o x.png x", 2, "applies to BMP output only"},
      {o + "-- a b", 2, "-- is followed by exactly one TEXT"},
      {"--micro -c 2 -r 8" + o + "x", 0, ""},
      {"--micro -c 5" + o + "x", 2, "--micro takes 1 to 4 columns"},
      {"--micro -r 8" + o + "x", 2, "--micro needs --columns with --rows"},
      {"--micro -c 3 -r 7" + o + "x", 2, "MicroPDF417 has no size of 7 rows x 3 columns"},
      {"--micro --level 2" + o + "x", 2, "drop --level"},
      {"--micro -c 1 -r 11" + o + "'more than four codewords'", 1, "does not fit a MicroPDF417 symbol of this size"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = runCommand(c.arguments);
    EXPECT_EQ(outcome.exitCode, c.exitCode) << c.arguments << ": " << outcome.output;
    EXPECT_NE(outcome.output.find(c.says), std::string::npos) << c.arguments << ": " << outcome.output;
  }
  // -- ends the options: the text that looks like one is encoded.
  EXPECT_EQ(runCommand(o + "-- --not-an-option").exitCode, 0);
  torv::test::OneBitBmp bmp;
  std::string why;
  const std::string bytes = fileText(out.path());
  ASSERT_TRUE(torv::test::readOneBitBmp(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), bmp, why));
  EXPECT_EQ(decode(Gray{bmp.width, bmp.height, bmp.gray}), "--not-an-option");
}

// Each format as a file: 1-bit PNG with its resolution (also to standard output), BMP with its
// resolution, SVG of merged runs in mm; all with the quiet zone, and all read back.
TEST(Pdf417EncodeCommand, WritesPngBmpAndSvgThatReadBack) {
  const TempFile png("encode.png"), piped("encode_piped.png"), bmpFile("encode.bmp"), svg("encode.svg"),
      raster("encode_svg.png");
  const std::string settings = "-w 3 -y 4 -c 3 --dpi 300 --quiet-zone 3 ";
  ASSERT_EQ(runCommand(settings + "-o '" + png.path() + "' 'Carton 0815'").exitCode, 0);
  const std::string pngBytes = fileText(png.path());
  ASSERT_GT(pngBytes.size(), 33u);
  EXPECT_EQ(pngBytes[24], 1);                                                       // bit depth
  EXPECT_NE(pngBytes.find(std::string("pHYs\0\0\x2e\x23", 8)), std::string::npos);  // 11811 px/m = 300 dpi
  const Gray gray = readPng(png.path());
  EXPECT_EQ(gray.width, 3 * (17 * 3 + 69 + 2 * 3));
  EXPECT_EQ(leftMargin(gray), 3 * 3);
  EXPECT_EQ(decode(gray), "Carton 0815");
  ASSERT_EQ(std::system(("'" + std::string(PDF417_ENCODE_COMMAND) + "' " + settings + "-o - 'Carton 0815' > '" +
                         piped.path() + "'")
                            .c_str()),
            0);
  EXPECT_EQ(fileText(piped.path()), pngBytes);

  ASSERT_EQ(runCommand(settings + "-o '" + bmpFile.path() + "' 'Carton 0815'").exitCode, 0);
  const std::string bmpBytes = fileText(bmpFile.path());
  torv::test::OneBitBmp bmp;
  std::string why;
  ASSERT_TRUE(
      torv::test::readOneBitBmp(reinterpret_cast<const std::uint8_t*>(bmpBytes.data()), bmpBytes.size(), bmp, why));
  EXPECT_EQ(bmp.xResolution, 11811);
  EXPECT_EQ(bmp.width, gray.width);
  EXPECT_EQ(decode(Gray{bmp.width, bmp.height, bmp.gray}), "Carton 0815");

  ASSERT_EQ(runCommand(settings + "-o '" + svg.path() + "' 'Carton 0815'").exitCode, 0);
  const std::string text = fileText(svg.path());
  EXPECT_NE(text.find("width=\"32.004mm\""), std::string::npos) << text.substr(0, 300);  // 378 px at 300 dpi
  EXPECT_NE(text.find("<rect x=\"9\" y=\"9\" width=\"24\""), std::string::npos);         // start pattern's 8 bars
  ASSERT_EQ(
      std::system(
          ("rsvg-convert --dpi-x 300 --dpi-y 300 -b white -o '" + raster.path() + "' '" + svg.path() + "'").c_str()),
      0)
      << "rsvg-convert (package librsvg2-bin) failed";
  EXPECT_EQ(decode(readPng(raster.path())), "Carton 0815");
}

// Text beyond Windows-1252 is named UTF-8 before the data, so a reader returns the text itself.
TEST(Pdf417EncodeCommand, UtfEightDesignatorMakesReadersReturnTheText) {
  const TempFile png("encode_eci.png");
  const std::string text =
      "Stra\xC3\x9F"
      "e 5, \xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 \xE2\x82\xAC";
  ASSERT_EQ(runCommand("--eci utf8 -w 3 -y 4 -o '" + png.path() + "' '" + text + "'").exitCode, 0);
  const Gray gray = readPng(png.path());
  ASSERT_GT(gray.width, 0);
  const ZXing::ImageView view(gray.pixels.data(), gray.width, gray.height, ZXing::ImageFormat::Lum);
  const ZXing::Result result =
      ZXing::ReadBarcode(view, ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::PDF417).setTryHarder(true));
  ASSERT_TRUE(result.isValid());
  EXPECT_TRUE(result.hasECI());
  EXPECT_EQ(result.text(), text);
}

// TEXT comes back as typed: ISO-8859-1 where every character fits, else UTF-8 after ECI 26 with
// a note; the bytes of a file stay bytes; empty data and a second TEXT are refused.
TEST(Pdf417EncodeCommand, TextReadsBackAsTypedAndBytesStayBytes) {
  const TempFile png("encode_text.png"), data("encode_text.txt");
  const std::string latin =
                        "Stra\xC3\x9F"
                        "e",
                    cyrillic = "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0";
  std::ofstream(data.path(), std::ios::binary) << latin;
  const struct {
    std::string arguments;
    std::string bytes;  // the payload
    std::string text;   // what a reader returns; not checked when empty (the reader guesses)
    bool eci;
    bool note;
  } cases[] = {
      {"'" + latin + "'",
       "Stra\xDF"
       "e",
       latin, false, false},
      {"'" + cyrillic + "'", cyrillic, cyrillic, true, true},
      {"-q '" + cyrillic + "'", cyrillic, cyrillic, true, false},
      {"--eci none '" + latin + "'", latin, "", false, false},
      {"--file '" + data.path() + "'", latin, "", false, false},
      {"--compaction fewest '" + cyrillic + ";;;\x01'", cyrillic + ";;;\x01", cyrillic + ";;;\x01", true, true},
  };
  for (const auto& c : cases) {
    const Outcome outcome = runCommand("-w 3 -y 4 -o '" + png.path() + "' " + c.arguments);
    ASSERT_EQ(outcome.exitCode, 0) << c.arguments << ": " << outcome.output;
    EXPECT_EQ(outcome.output.find("note: ") != std::string::npos, c.note) << c.arguments << ": " << outcome.output;
    const Gray gray = readPng(png.path());
    const ZXing::ImageView view(gray.pixels.data(), gray.width, gray.height, ZXing::ImageFormat::Lum);
    const ZXing::Result result =
        ZXing::ReadBarcode(view, ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::PDF417).setTryHarder(true));
    ASSERT_TRUE(result.isValid()) << c.arguments;
    EXPECT_EQ(result.hasECI(), c.eci) << c.arguments;
    EXPECT_EQ(std::string(result.bytes().begin(), result.bytes().end()), c.bytes) << c.arguments;
    if (!c.text.empty()) {
      EXPECT_EQ(result.text(), c.text) << c.arguments;
    }
  }
  const std::string o = " -o '" + png.path() + "' ";
  EXPECT_NE(runCommand(o + "''").output.find("the text is empty"), std::string::npos);
  EXPECT_NE(runCommand(o).output.find("standard input is empty"), std::string::npos);
  EXPECT_EQ(runCommand(o + "''").exitCode, 1);
  EXPECT_NE(runCommand(o + "a -- b").output.find("only one TEXT may be given"), std::string::npos);
}

// A batch is the single command run once per line: the same files as TEXT gives, on any number
// of jobs, with every bad line named and failing the run.
TEST(Pdf417EncodeCommand, BatchWritesWhatEachLineWouldAndNamesTheBadOnes) {
  const std::string items[] = {"Order 1",
                               "Zam\xC3\xB3wienie \xC5\xBC\xC3\xB3\xC5\x82te",
                               "\xCE\xA0\xCE\xB1\xCF\x81\xCE\xB1\xCE\xB3\xCE\xB3\xCE\xB5\xCE\xBB\xCE\xAF\xCE\xB1",
                               "\xE8\xAE\xA2\xE5\x8D\x95 5",
                               "",
                               std::string(3000, '7'),
                               "last, CRLF\r"};
  const TempFile data("encode_batch.txt");
  {
    std::ofstream out(data.path(), std::ios::binary);
    for (const std::string& item : items) out << item << "\n";
  }
  const std::string base = ::testing::TempDir() + std::to_string(getpid()) + "_encode_batch";
  std::string reports[2];
  for (int run = 0; run < 2; ++run) {
    const std::string pattern = base + std::to_string(run) + "-%d.png";
    const Outcome outcome =
        runCommand("--batch -j" + std::to_string(1 + 2 * run) + " -w 2 -f '" + data.path() + "' -o '" + pattern + "'");
    EXPECT_EQ(outcome.exitCode, 1) << outcome.output;
    reports[run] = outcome.output;
  }
  EXPECT_EQ(reports[1], reports[0]);
  EXPECT_NE(reports[0].find("pdf417-encode: line 5: the line is empty"), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find("pdf417-encode: line 6: the data does not fit"), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find("wrote 5 picture(s); 2 item(s) failed"), std::string::npos) << reports[0];
  const TempFile single("encode_batch_single.png");
  for (int line = 1; line <= 7; ++line) {
    const std::string name[2] = {base + "0-" + std::to_string(line) + ".png",
                                 base + "1-" + std::to_string(line) + ".png"};
    if (line == 5 || line == 6) {
      EXPECT_FALSE(std::ifstream(name[0]).good()) << line;
      continue;
    }
    std::string text = items[line - 1];
    if (text.back() == '\r') text.pop_back();
    ASSERT_EQ(runCommand("-w 2 -o '" + single.path() + "' '" + text + "'").exitCode, 0) << line;
    EXPECT_EQ(fileText(name[0]), fileText(single.path())) << line;
    EXPECT_EQ(fileText(name[1]), fileText(single.path())) << line;
    const Gray gray = readPng(name[0]);
    const ZXing::ImageView view(gray.pixels.data(), gray.width, gray.height, ZXing::ImageFormat::Lum);
    const ZXing::Result result =
        ZXing::ReadBarcode(view, ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::PDF417).setTryHarder(true));
    EXPECT_EQ(result.text(), text) << line;
    for (const std::string& file : name) std::remove(file.c_str());
  }
}

}  // namespace
