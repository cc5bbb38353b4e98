// SPDX-License-Identifier: Apache-2.0
// pdf417-encode's print-ready output as a label maker uses it: a symbol fitted to a box, colours
// and their contrast limit, turned pictures, EPS and PDF rasterised by Ghostscript and poppler, and
// --verify failing when the picture it reads back is bad.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "command_run.h"
#include "zxing_decode.h"

namespace {

using torv::test::Gray;
using torv::test::Outcome;
using torv::test::readPng;
using torv::test::TempFile;

const std::string kCommand = PDF417_ENCODE_COMMAND;
const std::string kLabel = "Order 4711 / Lot 2026-12-09 / Best before 2027-06";

Outcome encode(const std::string& arguments) { return torv::test::runProgram(kCommand, arguments); }

std::string decode(const Gray& gray) {
  if (gray.width == 0) return "<no picture>";
  std::string why;
  const auto bytes = torv::test::decodePdf417(gray.width, gray.height, gray.pixels.data(), 0, {}, why);
  return bytes ? std::string(bytes->begin(), bytes->end()) : "<unread: " + why + ">";
}

std::string fileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// A length in mm, rounded up to 0.0001 mm, that is at least `dots` dots at dpi.
std::string mmOf(int dots, int dpi) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", std::ceil(dots * 25.4 / dpi * 10000) / 10000);
  return text;
}

// The picture fits the box in dots, reads back, and a box of exactly its own size (the accepted
// edge) gets the same symbol. A box too small is refused with a box that does fit.
TEST(Pdf417EncodePrint, FitChoosesTheWidestModuleThatFitsTheBoxAndRefusesWithOneThatWould) {
  const TempFile png("fit.png"), again("fit_again.png");
  const struct {
    const char* box;
    int dpi;
    int widthDots, heightDots;  // of the box
  } cases[] = {
      {"58x26", 203, 463, 207}, {"58x26", 300, 685, 307}, {"2.28x1.02in", 203, 462, 207}, {"30x12", 600, 708, 283}};
  for (const auto& c : cases) {
    const std::string where = std::string(c.box) + " at " + std::to_string(c.dpi);
    const Outcome first = encode("--fit " + std::string(c.box) + " --dpi " + std::to_string(c.dpi) + " -v -o '" +
                                 png.path() + "' '" + kLabel + "'");
    ASSERT_EQ(first.exitCode, 0) << where << ": " << first.output;
    const Gray gray = readPng(png.path());
    EXPECT_LE(gray.width, c.widthDots) << where;
    EXPECT_LE(gray.height, c.heightDots) << where;
    EXPECT_EQ(decode(gray), kLabel) << where;
    // Never below the level recommended for 30 data codewords.
    EXPECT_NE(first.output.find("level 2 (asked auto, recommended 2)"), std::string::npos) << first.output;
    const Outcome exact = encode("--fit " + mmOf(gray.width, c.dpi) + "x" + mmOf(gray.height, c.dpi) + " --dpi " +
                                 std::to_string(c.dpi) + " -o '" + again.path() + "' '" + kLabel + "'");
    ASSERT_EQ(exact.exitCode, 0) << where << ": " << exact.output;
    EXPECT_EQ(fileText(again.path()), fileText(png.path())) << where << ": the box of its own size";
  }
  // Nothing fits: the refusal names a box that does.
  const Outcome refused = encode("--fit 16x6 -l 5 --dpi 203 -o '" + png.path() + "' '" + kLabel + "'");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.output.find("this box at --level 2"), std::string::npos) << refused.output;
  EXPECT_NE(refused.output.find("(a 300 dpi printer)"), std::string::npos) << refused.output;
  const std::size_t at = refused.output.find("a box of ");
  ASSERT_NE(at, std::string::npos) << refused.output;
  double width = 0, height = 0;
  ASSERT_EQ(std::sscanf(refused.output.c_str() + at, "a box of %lf x %lf mm", &width, &height), 2);
  const Outcome larger = encode("--fit " + std::to_string(width) + "x" + std::to_string(height) +
                                " -l 5 --dpi 203 -o '" + png.path() + "' '" + kLabel + "'");
  EXPECT_EQ(larger.exitCode, 0) << larger.output;
  const struct {
    std::string arguments;
    const char* says;
  } usage[] = {{"--fit 58x26", "--fit needs the printer's --dpi"},
               {"--fit 58x26 --dpi 203 -w 2", "drop --module-width"},
               {"--fit 58 --dpi 203", "--fit is WxH"},
               {"--fit 58x0 --dpi 203", "--fit is WxH"}};
  for (const auto& u : usage) {
    const Outcome outcome = encode(u.arguments + " -o '" + png.path() + "' x");
    EXPECT_EQ(outcome.exitCode, 2) << u.arguments;
    EXPECT_NE(outcome.output.find(u.says), std::string::npos) << u.arguments << ": " << outcome.output;
  }
}

// Colours at the edge of the contrast limit (40 % under white and red light), colour pictures that
// read back, and black on white given as colours that leaves the picture as it was.
TEST(Pdf417EncodePrint, ColoursBelowTheContrastLimitAreRefusedWithTheFigure) {
  const TempFile plain("plain.png"), colour("colour.png"), named("named.png"), bmp("colour.bmp");
  const struct {
    const char* colours;
    int exitCode;
    const char* says;
  } cases[] = {
      {"--fg '#cbcbcb'", 0, ""},  // 40.3 %
      {"--fg '#cccccc'", 2, "39.6 % in white light"},
      {"--fg red", 2, "0 % in red light"},
      {"--fg white --bg black", 2, "the bars must be darker than the space"},
      {"--fg '#12345'", 2, "--fg is #RRGGBB"},
      {"--fg navy --bg '#ffc'", 0, ""},
  };
  for (const auto& c : cases) {
    const Outcome outcome = encode(std::string(c.colours) + " -w 3 -o '" + colour.path() + "' 'Colour 42'");
    EXPECT_EQ(outcome.exitCode, c.exitCode) << c.colours << ": " << outcome.output;
    EXPECT_NE(outcome.output.find(c.says), std::string::npos) << c.colours << ": " << outcome.output;
  }
  // The last case wrote a two-colour palette PNG.
  const std::string bytes = fileText(colour.path());
  ASSERT_GT(bytes.size(), 26u);
  EXPECT_EQ(bytes[24], 1);  // bit depth
  EXPECT_EQ(bytes[25], 3);  // palette
  EXPECT_NE(bytes.find(std::string("PLTE\x00\x00\x80\xff\xff\xcc", 10)), std::string::npos);
  EXPECT_EQ(decode(readPng(colour.path())), "Colour 42");
  ASSERT_EQ(encode("--fg navy --bg '#ffffcc' -w 3 -o '" + bmp.path() + "' 'Colour 42'").exitCode, 0);
  EXPECT_NE(fileText(bmp.path()).find(std::string("\x80\x00\x00\x00\xcc\xff\xff\x00", 8)), std::string::npos);
  ASSERT_EQ(encode("-w 3 -o '" + plain.path() + "' 'Colour 42'").exitCode, 0);
  ASSERT_EQ(encode("--fg black --bg '#FFF' -w 3 -o '" + named.path() + "' 'Colour 42'").exitCode, 0);
  EXPECT_EQ(fileText(named.path()), fileText(plain.path()));
}

// A turned picture is the upright one turned, pixel for pixel, in every format; EPS and PDF
// rasterised at the dpi are the PNG's pixels and read back.
TEST(Pdf417EncodePrint, TurnedPicturesAndVectorFormatsShowTheSameSymbol) {
  const TempFile upright("upright.png"), turned("turned.png"), eps("label.eps"), pdf("label.pdf"), raster("raster.png");
  const std::string settings = "-w 3 -y 4 --dpi 300 --fg '#202060' ";
  ASSERT_EQ(encode(settings + "-o '" + upright.path() + "' 'Turn 0815'").exitCode, 0);
  const Gray base = readPng(upright.path());
  ASSERT_EQ(decode(base), "Turn 0815");
  for (const int degrees : {90, 180, 270}) {
    ASSERT_EQ(
        encode(settings + "--rotate " + std::to_string(degrees) + " -o '" + turned.path() + "' 'Turn 0815'").exitCode,
        0);
    const Gray gray = readPng(turned.path());
    const bool across = degrees != 180;
    ASSERT_EQ(gray.width, across ? base.height : base.width) << degrees;
    ASSERT_EQ(gray.height, across ? base.width : base.height) << degrees;
    int differing = 0;
    for (int y = 0; y < base.height; ++y) {
      for (int x = 0; x < base.width; ++x) {
        // Where pixel (x, y) of the upright picture lands when turned clockwise.
        const int tx = degrees == 90 ? base.height - 1 - y : degrees == 180 ? base.width - 1 - x : y;
        const int ty = degrees == 90 ? x : degrees == 180 ? base.height - 1 - y : base.width - 1 - x;
        differing += gray.pixels[static_cast<std::size_t>(ty) * gray.width + tx] !=
                     base.pixels[static_cast<std::size_t>(y) * base.width + x];
      }
    }
    EXPECT_EQ(differing, 0) << degrees;
  }
  const struct {
    const TempFile& file;
    std::string rasterise;
  } vectors[] = {
      {eps, "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pnggray -r300 -dEPSCrop -sOutputFile='" + raster.path() + "' '" +
                eps.path() + "'"},
      {pdf, "pdftoppm -r 300 -gray -png -singlefile '" + pdf.path() + "' '" +
                raster.path().substr(0, raster.path().size() - 4) + "'"},
  };
  for (const auto& v : vectors) {
    ASSERT_EQ(encode(settings + "-o '" + v.file.path() + "' 'Turn 0815'").exitCode, 0);
    std::remove(raster.path().c_str());
    ASSERT_EQ(std::system(v.rasterise.c_str()), 0) << v.rasterise << " (packages ghostscript, poppler-utils)";
    const Gray gray = readPng(raster.path());
    EXPECT_EQ(gray.width, base.width) << v.file.path();
    EXPECT_EQ(gray.height, base.height) << v.file.path();
    EXPECT_EQ(decode(gray), "Turn 0815") << v.file.path();
  }
  // The page is the picture's size at 300 dpi, in points.
  char mediaBox[64];
  std::snprintf(mediaBox, sizeof mediaBox, "/MediaBox [0 0 %g %g]", base.width * 0.24, base.height * 0.24);
  EXPECT_NE(fileText(pdf.path()).find(mediaBox), std::string::npos) << mediaBox;
}

// --verify through readers that fail as a reader can: a picture forced unreadable (blackened
// before the real reader sees it), a reader that aborts, one that returns other bytes, none at all.
TEST(Pdf417EncodePrint, VerifyFailsWhenThePictureDoesNotReadBack) {
  const std::string dir = ::testing::TempDir() + std::to_string(getpid()) + "_verify/";
  ASSERT_EQ(std::system(("mkdir -p '" + dir + "' && cp '" + kCommand + "' '" + dir + "'").c_str()), 0);
  const std::string command = dir + "pdf417-encode", reader = dir + "pdf417-verify";
  const std::string real = kCommand.substr(0, kCommand.rfind('/')) + "/pdf417-verify";
  const TempFile picture("verify.bmp"), svg("verify.svg");
  const std::string arguments = "--verify -w 3 -o '" + picture.path() + "' 'Verify 7'";
  EXPECT_EQ(torv::test::runProgram(kCommand, arguments).exitCode, 0);
  const struct {
    std::string script;  // the reader next to the command; empty: none
    const char* says;
  } cases[] = {
      {"size=$(stat -c %s \"$1\"); dd if=/dev/zero of=\"$1\" bs=1 seek=62 count=$((size - 62)) conv=notrunc "
       "2>/dev/null; exec '" +
           real + "' \"$1\"",
       "verify failed: nothing was read back from"},
      {"kill -ABRT $$", "verify failed: the reader ended on signal 6"},
      {"printf 'Verify 1'", "reads back as 8 bytes, not the 8 of the data (they differ from byte 8 on)"},
      {"echo 'not a picture' >&2; exit 2", "the reader could not read"},
      {"", "is not installed next to this command"},
  };
  for (const auto& c : cases) {
    std::remove(reader.c_str());
    if (!c.script.empty()) {
      std::ofstream(reader) << "#!/bin/sh\n" << c.script << "\n";
      chmod(reader.c_str(), 0755);
    }
    const Outcome outcome = torv::test::runProgram(command, arguments);
    EXPECT_EQ(outcome.exitCode, 1) << c.script << ": " << outcome.output;
    EXPECT_NE(outcome.output.find(c.says), std::string::npos) << c.script << ": " << outcome.output;
  }
  const Outcome unread = encode("--verify -o '" + svg.path() + "' x");
  EXPECT_EQ(unread.exitCode, 3);
  EXPECT_NE(unread.output.find("not verified"), std::string::npos) << unread.output;
  std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace
