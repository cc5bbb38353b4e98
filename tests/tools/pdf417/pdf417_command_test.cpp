// SPDX-License-Identifier: Apache-2.0
// The pdf417 command, run as a user runs it: pictures that read back, and clear refusals.
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "bmp_reader.h"
#include "command_run.h"
#include "torvc_pdf417.h"
#include "zxing_decode.h"

namespace {

using torv::test::Gray;
using torv::test::Outcome;
using torv::test::readPng;
using torv::test::TempFile;

Outcome runCommand(const std::string& arguments, const std::string& input = "") {
  return torv::test::runProgram(PDF417_COMMAND, arguments, input);
}

std::vector<std::uint8_t> fileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The one-bit BMP that the command writes, with its resolution in pixels per metre.
Gray readBmp(const std::string& path, int* pixelsPerMetre = nullptr) {
  const std::vector<std::uint8_t> bytes = fileBytes(path);
  torv::test::OneBitBmp bmp;
  std::string why;
  if (!torv::test::readOneBitBmp(bytes.data(), bytes.size(), bmp, why)) return Gray{};
  if (pixelsPerMetre != nullptr) *pixelsPerMetre = bmp.xResolution == bmp.yResolution ? bmp.xResolution : -1;
  return Gray{bmp.width, bmp.height, bmp.gray};
}

// Bit depth and pixels per metre (pHYs) of a PNG file; -1 where absent.
std::pair<int, int> pngDepthAndResolution(const std::string& path) {
  const std::vector<std::uint8_t> bytes = fileBytes(path);
  const std::string text(bytes.begin(), bytes.end());
  const std::size_t phys = text.find("pHYs");
  const auto u32 = [&](std::size_t at) {
    return static_cast<int>(bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3]);
  };
  const bool sameAxes = phys != std::string::npos && phys + 13 <= bytes.size() && u32(phys + 4) == u32(phys + 8);
  return {bytes.size() > 24 ? bytes[24] : -1, sameAxes ? u32(phys + 4) : -1};
}

std::string decode(const Gray& gray) {
  if (gray.width == 0) return "<no picture>";
  std::string why;
  const auto bytes = torv::test::decodePdf417(gray.width, gray.height, gray.pixels.data(), 0, {}, why);
  return bytes ? std::string(bytes->begin(), bytes->end()) : "<unread: " + why + ">";
}

TEST(Pdf417Command, WritesAPngThatReadsBack) {
  const TempFile png("command.png");
  // The sample of the project's main job.
  const Outcome outcome = runCommand(
      "'PDF417 sample: Gr\xC3\xBC\xC3\x9F"
      "e, \xE2\x82\xAC 12.50' -o '" +
      png.path() + "'");
  ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
  EXPECT_NE(outcome.output.find(png.path()), std::string::npos) << outcome.output;  // says where the picture is
  EXPECT_EQ(decode(readPng(png.path())),
            "PDF417 sample: Gr\xFC\xDF"
            "e, \x80 12.50");
  EXPECT_EQ(pngDepthAndResolution(png.path()), std::make_pair(1, 5039));  // 1 bit, 128 dpi
}

// What the plug-in itself paints (or prints) for the settings, as 0/255 gray, cropped to the drawing.
Gray hostDrawing(const char16_t* text, int xScale, int yScale, int dpi, float scale, bool print) {
  TorvPdf417Comp* component = GetNewInstance();
  const std::u16string x(1, static_cast<char16_t>(u'0' + xScale)), y(1, static_cast<char16_t>(u'0' + yScale));
  setAttr(component, u"PDF417_COLNUM", u"0");
  setAttr(component, u"PDF417_ECC", u"-1");  // the command's automatic level
  setAttr(component, u"PDF417_XSCALE", x.c_str());
  setAttr(component, u"PDF417_YSCALE", y.c_str());
  const int width = 2000, height = 1000;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4, 0);
  TorvDeviceContext dc{dpi, dpi, width, height, width * 4, pixels.data()};
  if (print) {
    ::print(component, &dc, text, 0, 0, 0, 0, 1.0f, 0, 0);
  } else {
    paint(component, &dc, text, 0, 0, 0, 0, scale);
  }
  DeleteInstance(component);
  Gray gray;
  while (gray.width < width && pixels[4 * gray.width + 3] == 255) ++gray.width;
  while (gray.height < height && pixels[static_cast<std::size_t>(gray.height) * width * 4 + 3] == 255) ++gray.height;
  for (int row = 0; row < gray.height; ++row) {
    for (int column = 0; column < gray.width; ++column)
      gray.pixels.push_back(pixels[(static_cast<std::size_t>(row) * width + column) * 4]);
  }
  return gray;
}

TEST(Pdf417Command, PictureIsWhatTheHostsDeviceShowsPixelForPixel) {
  const struct {
    const char* arguments;
    int xScale, yScale, dpi;
    float scale;
    bool print;
  } cases[] = {
      {"", 2, 5, 128, 1.0f, false},
      {"--scale 1.5 -y 2", 2, 2, 128, 1.5f, false},  // modules 3 px, rows 4 or 5 px
      {"--scale 0.7 --force", 2, 5, 128, 0.7f, false},
      {"--dpi 200 --scale 1.3 -x 3 -y 2 --force", 3, 2, 200, 1.3f, false},
      {"--print --dpi 300 --force", 2, 5, 300, 1.0f, true},
      {"--print --dpi 288 -x 1 -y 7", 1, 7, 288, 1.0f, true},
  };
  const TempFile png("command_host.png"), loaded("command_loaded.png");
  for (const auto& c : cases) {
    const std::string arguments = std::string(c.arguments) + " --quiet-zone 0 -c 0 'Host view 12' -o ";
    const Outcome outcome = runCommand(arguments + "'" + png.path() + "'");
    ASSERT_EQ(outcome.exitCode, 0) << c.arguments << ": " << outcome.output;
    const Gray ours = readPng(png.path());
    const Gray host = hostDrawing(u"Host view 12", c.xScale, c.yScale, c.dpi, c.scale, c.print);
    EXPECT_EQ(ours.width, host.width) << c.arguments;
    EXPECT_EQ(ours.height, host.height) << c.arguments;
    EXPECT_TRUE(ours.pixels == host.pixels) << c.arguments;
    // The plug-in built into the command and the shared library loaded by path draw the same.
    const Outcome viaLibrary =
        runCommand(arguments + "'" + loaded.path() + "' --plugin '" + TORVC_PDF417_LIBRARY + "'");
    ASSERT_EQ(viaLibrary.exitCode, 0) << c.arguments << ": " << viaLibrary.output;
    EXPECT_TRUE(fileBytes(loaded.path()) == fileBytes(png.path())) << c.arguments;
  }
}

TEST(Pdf417Command, PrintsABmpFromAFileWithChosenSettings) {
  const TempFile data("command_data.txt");
  std::ofstream(data.path(), std::ios::binary) << "line one\nline two\tend";
  const TempFile bmp("command.bmp");
  const Outcome outcome =
      runCommand("--file '" + data.path() + "' --print --dpi 192 -r 12 -c 4 -l 3 -x 1 -y 3 -o '" + bmp.path() + "'");
  ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
  int pixelsPerMetre = 0;
  const Gray gray = readBmp(bmp.path(), &pixelsPerMetre);
  EXPECT_EQ(pixelsPerMetre, 7559);                       // 192 dpi
  EXPECT_EQ(gray.width, 2 * (17 * 4 + 69) + 2 * 2 * 2);  // twice the bitmap, 2 modules of quiet zone
  EXPECT_EQ(gray.height, 2 * 12 * 3 + 2 * 2 * 2);
  EXPECT_EQ(decode(gray), "line one\nline two\tend");
}

TEST(Pdf417Command, ReadsStandardInputAndReplacesCharactersOutsideTheCodePage) {
  const TempFile png("command_stdin.png");
  const Outcome outcome = runCommand("--scale 2 -o '" + png.path() + "'", "\xD0\x96 and \xF0\x9F\x98\x80");
  ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
  EXPECT_NE(outcome.output.find("note: 2 characters are not in Windows-1252 and are drawn as '?'"), std::string::npos)
      << outcome.output;
  EXPECT_EQ(decode(readPng(png.path())), "? and ?");
}

TEST(Pdf417Command, RefusesBadOptionsAndDishonestPicturesWithAMessage) {
  const struct {
    const char* arguments;
    const char* why;
    const char* remedy;
  } cases[] = {
      {"--rows 2 x", "--rows must be 0", ""},
      {"--rows 91 x", "--rows takes a whole number from 0 to 90", ""},
      {"--columns abc x", "--columns takes a whole number", ""},
      {"--level 9 x", "--level takes a whole number from 0 to 8", ""},
      {"--xscale 21 x", "--xscale takes a whole number from 1 to 20", ""},
      {"-x 10 -y 20 x", "at most 25", ""},
      {"-r 90 -c 30 x", "at most 928", ""},
      {"--scale 0 x", "--scale takes a number above 0", ""},
      {"--bogus x", "unknown option --bogus", ""},
      {"-o picture.gif x", "name it .png, .bmp or .svg", ""},
      {"one two", "only one TEXT", ""},
      {"--rows", "--rows needs a value", ""},
      {"--print --scale 7 x", "--scale applies to painting only", ""},
      {"--batch -o label.png", "one %d", ""},
      {"-0 x", "-0 separates the items of --batch", ""},
      // Pictures that a scanner would misread are refused with settings that give whole pixels.
      {"--dpi 72 x", "drawn 1 or 2 px: bars of uneven width", "--scale 0.89 (1 px) or --dpi 64 (1 px)"},
      // A print keeps the printer's dpi: the advice is a module width, or the encoder's exact one.
      {"--print --dpi 100 -x 1 x", "1.05 px wide on average",
       "at 100 dpi it reads with -x 2 (2.08 px, drawn 2-3 px = 0.53 mm), or with pdf417-encode -w 1 -y 5:1 --dpi 100"},
      {"--scale 0.3 x", "0.59 px wide, so some would vanish", "--scale 0.5 (1 px)"},
      {"--dpi 1 x", "the picture would be empty", "--dpi 64 (1 px)"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = runCommand(c.arguments);
    EXPECT_EQ(outcome.exitCode, 2) << c.arguments;
    EXPECT_NE(outcome.output.find(c.why), std::string::npos) << c.arguments << ": " << outcome.output;
    EXPECT_NE(outcome.output.find(c.remedy), std::string::npos) << c.arguments << ": " << outcome.output;
  }
  // --force writes it anyway and says what is wrong with it.
  const TempFile png("command_forced.png");
  const Outcome forced = runCommand("--dpi 600 --scale 0.3 -x 1 --force -o '" + png.path() + "' x");
  EXPECT_EQ(forced.exitCode, 0) << forced.output;
  EXPECT_NE(forced.output.find("bars of uneven width (written because of --force)"), std::string::npos)
      << forced.output;
  EXPECT_NE(forced.output.find("X-dimension is 0.059 mm, below the 0.19 mm"), std::string::npos) << forced.output;
}

TEST(Pdf417Command, WritesAnSvgOfMergedRunsThatReadsBackWhenRasterised) {
  const TempFile svg("command.svg");
  const TempFile png("command_svg.png");
  const Outcome outcome = runCommand("--dpi 256 -x 1 -y 2 --quiet-zone 3 -o '" + svg.path() + "' 'Vector label 42'");
  ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
  const std::vector<std::uint8_t> bytes = fileBytes(svg.path());
  const std::string text(bytes.begin(), bytes.end());
  // Modules 2 px at 256 dpi; the physical size is in mm.
  EXPECT_NE(text.find("mm\" viewBox=\"0 0 "), std::string::npos) << text.substr(0, 300);
  int previousEnd = -1, previousY = -1, rectangles = 0;
  for (std::size_t at = text.find("<rect x="); at != std::string::npos; at = text.find("<rect x=", at + 1)) {
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_EQ(
        std::sscanf(text.c_str() + at, "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"", &x, &y, &width, &height),
        4);
    EXPECT_FALSE(y == previousY && x == previousEnd) << "adjacent dark modules are not merged at " << x << "," << y;
    EXPECT_GE(x, 3 * 2);  // the quiet zone
    previousEnd = x + width, previousY = y, ++rectangles;
  }
  EXPECT_GT(rectangles, 0);
  const Outcome raster = {
      std::system(
          ("rsvg-convert --dpi-x 256 --dpi-y 256 -b white -o '" + png.path() + "' '" + svg.path() + "'").c_str()),
      ""};
  ASSERT_EQ(raster.exitCode, 0) << "rsvg-convert (package librsvg2-bin) failed";
  const Gray gray = readPng(png.path());
  EXPECT_EQ(gray.width % 2, 0);
  EXPECT_EQ(decode(gray), "Vector label 42");
}

TEST(Pdf417Command, BatchWritesEveryGoodItemAndNamesTheBadOnes) {
  const std::string pattern = ::testing::TempDir() + std::to_string(getpid()) + "_label-%03d.png";
  const auto name = [&](int number) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", number);
    return pattern.substr(0, pattern.size() - 8) + digits + ".png";
  };
  Outcome outcome = runCommand("--batch -o '" + pattern + "'", "first item\nbad \xFF byte\n\nfourth, CRLF\r\n");
  EXPECT_EQ(outcome.exitCode, 1) << outcome.output;
  EXPECT_NE(outcome.output.find("line 2: the data is not valid UTF-8"), std::string::npos) << outcome.output;
  EXPECT_NE(outcome.output.find("line 3: the line is empty"), std::string::npos) << outcome.output;
  EXPECT_NE(outcome.output.find("wrote 2 picture(s); 2 item(s) failed"), std::string::npos) << outcome.output;
  EXPECT_EQ(decode(readPng(name(1))), "first item");
  EXPECT_EQ(decode(readPng(name(4))), "fourth, CRLF");
  EXPECT_FALSE(std::ifstream(name(2)).good());

  outcome = runCommand("--batch -0 -o '" + pattern + "'", std::string("line one\nstill one\0second", 26));
  EXPECT_EQ(outcome.exitCode, 0) << outcome.output;
  EXPECT_EQ(decode(readPng(name(1))), "line one\nstill one");
  EXPECT_EQ(decode(readPng(name(2))), "second");
  for (int number : {1, 2, 4}) std::remove(name(number).c_str());
}

TEST(Pdf417Command, BatchOnSeveralJobsWritesWhatOneJobWrites) {
  // Good, failing, empty and noted items mixed, more of them than the jobs keep in hand.
  std::string items;
  for (int i = 1; i <= 60; ++i) {
    if (i % 11 != 0) {
      items += i % 9 == 0 ? std::string(2000, 'X') : i % 7 == 0 ? "\xE4\xB8\xAD " : "Order ";
      items += std::to_string(i);
    }
    items += "\n";
  }
  const auto readAll = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  std::vector<std::string> files[2];
  std::string reports[2];
  for (int run = 0; run < 2; ++run) {
    const std::string pattern = ::testing::TempDir() + std::to_string(getpid()) + "_jobs" + std::to_string(run);
    const Outcome outcome =
        runCommand("--batch --jobs " + std::string(run == 0 ? "1" : "3") + " -o '" + pattern + "-%02d.svg'", items);
    EXPECT_EQ(outcome.exitCode, 1) << outcome.output;
    reports[run] = outcome.output;
    // The notes name the run's own pattern.
    for (std::size_t at; (at = reports[run].find(pattern)) != std::string::npos;)
      reports[run].replace(at, pattern.size(), "PATTERN");
    for (int i = 1; i <= 60; ++i) {
      const std::string name = pattern + (i < 10 ? "-0" : "-") + std::to_string(i) + ".svg";
      files[run].push_back(readAll(name));
      std::remove(name.c_str());
    }
  }
  EXPECT_EQ(reports[1], reports[0]);
  EXPECT_EQ(files[1], files[0]);
  EXPECT_NE(reports[0].find("line 9: the data needs"), std::string::npos) << reports[0];
  EXPECT_LT(reports[0].find("line 9:"), reports[0].find("line 18:"));
  EXPECT_NE(reports[0].find("line 55: the line is empty"), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find("wrote 49 picture(s); 11 item(s) failed"), std::string::npos) << reports[0];
}

TEST(Pdf417Command, RefusesDataThatDoesNotFitOrCannotBeRead) {
  const TempFile png("command_refused.png");
  std::remove(png.path().c_str());
  Outcome outcome = runCommand("-r 3 -c 1 -l 4 -o '" + png.path() + "' 'far too long for three rows'");
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.output.find("the data needs 27 bytes (Windows-1252); a symbol with rows 3, columns 1 and level 4 "
                                "holds none of them; it fits with --rows 0 --columns 0"),
            std::string::npos)
      << outcome.output;
  // Where only an explicit lower level helps, that is what the advice says.
  outcome = runCommand("-l 8 -o '" + png.path() + "' " + std::string(900, '7') + "x" + std::string(900, 'a'));
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.output.find("it fits with --level 6 or lower"), std::string::npos) << outcome.output;
  EXPECT_FALSE(std::ifstream(png.path()).good());

  outcome = runCommand("-o '" + png.path() + "'", "bad \xFF byte");
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.output.find("not valid UTF-8"), std::string::npos) << outcome.output;

  outcome = runCommand("--file /nonexistent/data.txt");
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.output.find("cannot open the data file"), std::string::npos) << outcome.output;

  outcome = runCommand("--plugin /nonexistent/libtorvc_pdf417.so text");
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.output.find("cannot load the plug-in"), std::string::npos) << outcome.output;
}

// The most common job: a label printer's own dpi at the default settings. Modules uneven by one
// pixel read, so the picture is written with a note; SVG gets exact millimetres.
TEST(Pdf417Command, PrintsAtThePrintersDpiAndSvgInExactMillimetres) {
  const TempFile png("command_print.png"), svg("command_print.svg"), raster("command_print_svg.png");
  for (const int dpi : {203, 300, 600}) {
    const std::string at = " --print --dpi " + std::to_string(dpi);
    Outcome outcome = runCommand(at + " -o '" + png.path() + "' 'Order 4711'");
    ASSERT_EQ(outcome.exitCode, 0) << dpi << ": " << outcome.output;
    EXPECT_NE(outcome.output.find("note: X-dimension"), std::string::npos) << outcome.output;
    EXPECT_EQ(decode(readPng(png.path())), "Order 4711") << dpi;

    outcome = runCommand(at + " -o '" + svg.path() + "' 'Order 4711'");
    ASSERT_EQ(outcome.exitCode, 0) << dpi << ": " << outcome.output;
    const std::vector<std::uint8_t> bytes = fileBytes(svg.path());
    const std::string text(bytes.begin(), bytes.end());
    double widthMm = 0, heightMm = 0;
    long units = 0, rowUnits = 0;
    const std::size_t at_width = text.find("width=\"");
    ASSERT_NE(at_width, std::string::npos);
    ASSERT_EQ(std::sscanf(text.c_str() + at_width, "width=\"%lfmm\" height=\"%lfmm\" viewBox=\"0 0 %ld %ld\"", &widthMm,
                          &heightMm, &units, &rowUnits),
              4)
        << text.substr(0, 300);
    // A module (2 units) is 2/96 inch whatever the printer: no rounding to its pixels.
    EXPECT_NEAR(widthMm / units * 2, 2 * 25.4 / 96, 1e-5) << dpi;
    EXPECT_EQ(text.find(".5\""), std::string::npos);  // whole units only
    const std::string density = std::to_string(dpi);
    ASSERT_EQ(std::system(("rsvg-convert --dpi-x " + density + " --dpi-y " + density + " -b white -o '" +
                           raster.path() + "' '" + svg.path() + "'")
                              .c_str()),
              0);
    EXPECT_EQ(decode(readPng(raster.path())), "Order 4711") << dpi;
  }
}

// Every piece of advice of a refusal is a change of the command line (or a pdf417-encode line)
// that writes a picture that reads.
TEST(Pdf417Command, EveryPieceOfAdviceWorks) {
  const TempFile png("command_advice.png");
  for (const std::string arguments : {"--print --dpi 100 -x 1", "--print --dpi 72 -x 1", "--dpi 72", "--scale 0.3"}) {
    const Outcome refused = runCommand(arguments + " -o '" + png.path() + "' 'Order 4711'");
    ASSERT_EQ(refused.exitCode, 2) << arguments << ": " << refused.output;
    const std::size_t start = refused.output.find(" with ");
    const std::size_t end = refused.output.find(", or write it anyway with --force");
    ASSERT_TRUE(start != std::string::npos && end != std::string::npos) << refused.output;
    // "A (...), or with B (...)" for a print, "A (...) or B (...)" for paint.
    const std::string advice = refused.output.substr(start + 6, end - start - 6);
    int tried = 0;
    for (std::size_t from = 0; from < advice.size();) {
      const std::size_t open = advice.find(" (", from);
      ASSERT_NE(open, std::string::npos) << advice;
      const std::string change = advice.substr(from, open - from);
      from = advice.find(')', open) + 1;
      for (const char* separator : {", or with ", " or "}) {
        if (advice.compare(from, std::strlen(separator), separator) == 0) from += std::strlen(separator);
      }
      if (arguments.rfind("--print", 0) == 0) {
        EXPECT_NE(change.rfind("--dpi", 0), 0u) << "a printer's dpi is fixed";
      }
      Outcome followed;
      if (change.rfind("pdf417-encode ", 0) == 0) {
        followed =
            torv::test::runProgram(PDF417_ENCODE_COMMAND, change.substr(14) + " -o '" + png.path() + "' 'Order 4711'");
      } else {
        followed = runCommand(arguments + " " + change + " -o '" + png.path() + "' 'Order 4711'");
      }
      ASSERT_EQ(followed.exitCode, 0) << arguments << " + " << change << ": " << followed.output;
      EXPECT_EQ(decode(readPng(png.path())), "Order 4711") << arguments << " + " << change;
      ++tried;
    }
    EXPECT_GE(tried, 2) << refused.output;
  }
}

TEST(Pdf417Command, RefusesEmptyDataASecondTextAndBytesAndSaysNothingWithQuiet) {
  const TempFile png("command_input.png"), bytes("command_bytes.dat");
  std::ofstream(bytes.path(), std::ios::binary) << "ab\xFF\x01";
  const struct {
    std::string arguments;
    int exitCode;
    const char* says;
  } cases[] = {
      {"-o '" + png.path() + "' ''", 1, "the text is empty"},
      {"-o '" + png.path() + "'", 1, "standard input is empty"},
      {"-o '" + png.path() + "' A -- B", 2, "only one TEXT may be given"},
      {"--quiet 3 -o '" + png.path() + "' A", 2, "the quiet zone is --quiet-zone 3"},
      {"-f '" + bytes.path() + "' -o '" + png.path() + "'", 1,
       "not valid UTF-8 (byte 2); pdf417 draws text, pdf417-encode"},
      {"--rows=x A", 2, "--rows takes a whole number"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = runCommand(c.arguments);
    EXPECT_EQ(outcome.exitCode, c.exitCode) << c.arguments << ": " << outcome.output;
    EXPECT_NE(outcome.output.find(c.says), std::string::npos) << c.arguments << ": " << outcome.output;
  }
  // -q: no report, note or warning, but errors and the note that the picture differs from the text.
  Outcome outcome = runCommand("-q --print --dpi 300 -o '" + png.path() + "' '\xD0\x96 4711'");
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(outcome.output.rfind("pdf417: note: 1 character is not in Windows-1252", 0), 0u) << outcome.output;
  EXPECT_EQ(outcome.output.find('\n'), outcome.output.size() - 1) << outcome.output;
  outcome = runCommand("-q --print --dpi 300 -o '" + png.path() + "' 'Order 4711'");
  EXPECT_EQ(outcome.output, "");
  const std::string pattern = ::testing::TempDir() + std::to_string(getpid()) + "_quiet-%d.png";
  outcome = runCommand("-q --batch -o '" + pattern + "'", "a\n");
  EXPECT_EQ(outcome.output, "");
  std::remove((pattern.substr(0, pattern.size() - 6) + "1.png").c_str());
  EXPECT_NE(runCommand("-q ''").output.find("the text is empty"), std::string::npos);
}

// Windows-1252 puts the euro sign, dashes and the like at 0x80-0x9F, which readers return as
// control characters: a note says so with the pdf417-encode line that keeps the text, even with
// -q; --strict refuses the text, alone or as a line of a batch.
TEST(Pdf417Command, SaysWhatAReaderReturnsAndStrictRefusesIt) {
  const TempFile png("command_controls.png"), kept("command_controls_kept.png");
  const std::string text = "\xE2\x82\xAC\xE2\x80\x94\xE2\x80\xB0";  // euro, em dash, per mille
  std::remove(png.path().c_str());
  const struct {
    std::string options;
    int exitCode;
    const char* says;
  } cases[] = {
      {"--strict", 1, "(refused because of --strict)"},
      {"-q", 0, "pdf417: note: \""},
      {"", 0,
       "pdf417: note: \"\xE2\x82\xAC\", \"\xE2\x80\x94\" and \"\xE2\x80\xB0\" become the Windows-1252 bytes 0x80, 0x97 "
       "and "
       "0x89, which readers return as the control characters U+0080, U+0097 and U+0089"},
  };
  for (const auto& c : cases) {
    std::remove(png.path().c_str());
    const Outcome outcome = runCommand(c.options + " -o '" + png.path() + "' '" + text + "'");
    EXPECT_EQ(outcome.exitCode, c.exitCode) << c.options << ": " << outcome.output;
    EXPECT_NE(outcome.output.find(c.says), std::string::npos) << c.options << ": " << outcome.output;
    EXPECT_EQ(std::ifstream(png.path()).good(), c.exitCode == 0) << c.options;
  }
  EXPECT_EQ(decode(readPng(png.path())), "\x80\x97\x89") << "what the note says a reader returns";
  // The line the note gives keeps the text: a reader returns it as UTF-8 after its ECI.
  const Outcome noted = runCommand("-o '" + kept.path() + "' '" + text + "'");
  const std::size_t line = noted.output.find("keeps them: pdf417-encode ");
  ASSERT_NE(line, std::string::npos) << noted.output;
  const std::string arguments = noted.output.substr(line + 26, noted.output.find('\n', line) - line - 26);
  ASSERT_EQ(torv::test::runProgram(PDF417_ENCODE_COMMAND, arguments).exitCode, 0) << arguments;
  EXPECT_EQ(decode(readPng(kept.path())), text) << arguments;  // UTF-8, after ECI 26
  // --strict in a batch: that line fails, the others are written.
  const std::string pattern = ::testing::TempDir() + std::to_string(getpid()) + "_strict-%d.png";
  const Outcome batch = runCommand("--strict --batch -o '" + pattern + "'", "plain\n" + text + "\n");
  EXPECT_EQ(batch.exitCode, 1) << batch.output;
  EXPECT_NE(batch.output.find("pdf417: line 2: \""), std::string::npos) << batch.output;
  EXPECT_NE(batch.output.find("wrote 1 picture(s); 1 item(s) failed"), std::string::npos) << batch.output;
  std::remove((pattern.substr(0, pattern.size() - 6) + "1.png").c_str());
}

// Each documented limit, at its accepted edge (attached values too): the command line is taken and
// the picture has the size the limit promises. Moving any bound inward breaks one of these.
TEST(Pdf417Command, EveryLimitIsAcceptedAtItsEdge) {
  const TempFile png("command_edge.png");
  const struct {
    const char* arguments;
    int width, height;  // 0: not measured
  } cases[] = {
      {"-x20 -y6 -r 6 -c 2 -l 0", 20 * (17 * 2 + 69), 6 * 25},  // rows of 25 px, the most
      {"-x 1 -y 25 -r 6 -c 2 -l 0", 17 * 2 + 69, 6 * 25},
      {"-r 90 -c 10 -l 8", 2 * (17 * 10 + 69), 90 * 6},
      {"-r 32 -c 29 -l 0", 2 * (17 * 29 + 69), 32 * 6},  // 928 codewords
      {"-r 3 -c 30 -l 0", 2 * (17 * 30 + 69), 3 * 6},
      {"-x 1 -c 1 --quiet-zone 100", 17 + 69 + 200, 6 * 5 + 200},
      {"--dpi 9600 -x 1 -y 1 -c 1", 0, 0},
      {"-j256 -c 1", 0, 0},
  };
  for (const auto& c : cases) {
    const Outcome outcome =
        runCommand(std::string("--print --dpi 96 --quiet-zone 0 ") + c.arguments + " -o '" + png.path() + "' A");
    ASSERT_EQ(outcome.exitCode, 0) << c.arguments << ": " << outcome.output;
    const Gray gray = readPng(png.path());
    if (c.width != 0) {
      EXPECT_EQ(gray.width, c.width) << c.arguments;
      EXPECT_EQ(gray.height, c.height) << c.arguments;
    }
    EXPECT_EQ(decode(gray), "A") << c.arguments;
  }
  const Outcome scaled = runCommand("-x 1 -y 1 -c 1 --scale 100 -o '" + png.path() + "' A");
  EXPECT_EQ(scaled.exitCode, 0) << scaled.output;
  EXPECT_EQ(readPng(png.path()).width, 90 * 100);  // a bitmap pixel is 100 screen pixels
  // One past the edge is refused, and the hint comes once.
  const Outcome refused = runCommand("-x20 -y7 A");
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.output.find("at most 25 (here 26)"), std::string::npos) << refused.output;
  const Outcome unknown = runCommand("--bogus A");
  EXPECT_EQ(unknown.output, "pdf417: unknown option --bogus\ntry 'pdf417 --help'\n");
}

}  // namespace
