// SPDX-License-Identifier: Apache-2.0
// Pictures that scanners read: hundreds of varied texts, painted and printed with varied
// attributes, and read back by an independent reader (zxing-cpp) to the expected Windows-1252 bytes.
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_surface.h"
#include "torvc_pdf417.h"
#include "zxing_decode.h"

namespace {

using torv::test::TestSurface;

// A character of the test texts: its UTF-16 form and the byte the code page makes of it.
struct Piece {
  std::u16string text;
  char byte;
};

const std::vector<Piece>& windows1252Letters() {
  static const std::vector<Piece> letters = {
      {u"\u00E9", '\xE9'}, {u"\u00FC", '\xFC'}, {u"\u20AC", '\x80'}, {u"\u00DF", '\xDF'},
      {u"\u00F1", '\xF1'}, {u"\u00C5", '\xC5'}, {u"\u0153", '\x9C'}, {u"\u201C", '\x93'},
      {u"\u00A3", '\xA3'}, {u"\u00FF", '\xFF'}, {u"\u0160", '\x8A'}, {u"\u2122", '\x99'},
  };
  return letters;
}

const std::vector<Piece>& outsideTheCodePage() {
  static const std::vector<Piece> others = {
      {u"\u0416", '?'}, {u"\u4E2D", '?'}, {u"\U0001F600", '?'}, {u"\u03A9", '?'}, {u"\u0131", '?'},
  };
  return others;
}

struct Sample {
  std::u16string text;
  std::string expected;
};

// Text of a given flavour: plain ASCII, digits, mixed case and punctuation, code page letters,
// characters outside the code page, control characters, or a blend.
Sample makeSample(std::mt19937& random, int flavour, int length) {
  Sample sample;
  const auto add = [&](const Piece& piece) {
    sample.text += piece.text;
    sample.expected += piece.byte;
  };
  const auto ascii = [&](const std::string& alphabet) {
    const char c = alphabet[random() % alphabet.size()];
    add({std::u16string(1, static_cast<char16_t>(c)), c});
  };
  const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ ";
  const std::string digits = "0123456789";
  const std::string punctuation = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~ ";
  for (int i = 0; i < length; ++i) {
    const int pick = flavour == 6 ? static_cast<int>(random() % 6) : flavour;
    switch (pick) {
      case 0:
        ascii(letters);
        break;
      case 1:
        ascii(digits);
        break;
      case 2:
        ascii(random() % 2 ? letters : punctuation);
        break;
      case 3:
        add(windows1252Letters()[random() % windows1252Letters().size()]);
        break;
      case 4:
        random() % 2 ? add(outsideTheCodePage()[random() % outsideTheCodePage().size()]) : ascii(letters);
        break;
      default:
        ascii(random() % 4 ? letters + digits : std::string("\t\r\n\x01\x7F"));
        break;
    }
  }
  return sample;
}

struct Settings {
  int rows, columns, ecc, xScale, yScale;
};

Settings makeSettings(std::mt19937& random, int textLength) {
  Settings s{};
  switch (random() % 4) {
    case 0:
      s.rows = 0;
      s.columns = 0;
      break;  // aspect ratio 1:2
    case 1:
      s.rows = 0;
      s.columns = 8;
      break;  // the default
    case 2:
      s.rows = 0;
      s.columns = 3 + static_cast<int>(random() % 28);
      break;  // rows derived
    default:
      s.rows = 0;
      s.columns = 4 + static_cast<int>(random() % 8);
      break;
  }
  if (textLength < 20 && random() % 2) {  // a fixed arrangement that holds short texts
    s.rows = 20 + static_cast<int>(random() % 20);
    s.columns = 6;
  }
  const int levels[] = {-1, 0, 1, 2, 3, 4, 9};
  s.ecc = levels[random() % 7];
  s.xScale = 1 + static_cast<int>(random() % 3);
  s.yScale = 1 + static_cast<int>(random() % 4);
  return s;
}

void apply(TorvPdf417Comp* instance, const Settings& s) {
  const auto set = [&](const char16_t* name, int value) {
    const std::string text = std::to_string(value);
    setAttr(instance, name, std::u16string(text.begin(), text.end()).c_str());
  };
  set(u"PDF417_ROWNUM", s.rows);
  set(u"PDF417_COLNUM", s.columns);
  set(u"PDF417_ECC", s.ecc);
  set(u"PDF417_XSCALE", s.xScale);
  set(u"PDF417_YSCALE", s.yScale);
}

constexpr int kBatches = 10;
constexpr int kSamplesPerBatch = 32;

class ScannedSymbols : public ::testing::TestWithParam<int> {};

TEST_P(ScannedSymbols, EveryDrawnSymbolReadsBackAsItsCodePageBytes) {
  std::mt19937 random(20261208u + static_cast<unsigned>(GetParam()));
  std::unique_ptr<TorvPdf417Comp, void (*)(TorvPdf417Comp*)> instance(GetNewInstance(), DeleteInstance);
  for (int i = 0; i < kSamplesPerBatch; ++i) {
    const int length = 1 + static_cast<int>(random() % (random() % 4 == 0 ? 160 : 40));
    const Sample sample = makeSample(random, static_cast<int>(random() % 7), length);
    const Settings s = makeSettings(random, length);
    apply(instance.get(), s);

    // Paint at 128 dpi gives one surface pixel per bitmap pixel at scale 1 (a host unit is then
    // one pixel), at 256 dpi two; print at a multiple of 96 dpi gives whole multiples of it.
    const int way = static_cast<int>(random() % 3);
    const int multiple = 1 + static_cast<int>(random() % 2);
    const int dpi = way == 2 ? 96 * multiple : 128 * multiple;
    float width = 0, height = 0;
    TorvDeviceContext sizeOnly{dpi, dpi, 0, 0, 0, nullptr};
    getAutosize(instance.get(), &sizeOnly, sample.text.c_str(), &width, &height);
    ASSERT_GT(width, 0) << "sample " << i;
    const float scale = way == 1 ? 1.0f + static_cast<float>(random() % 2) : 1.0f;
    const int surfaceWidth = static_cast<int>(width * 2 * scale) + 40;
    const int surfaceHeight = static_cast<int>(height * 2 * scale) + 40;
    TestSurface surface(surfaceWidth, surfaceHeight, dpi);
    if (way == 2) {
      print(instance.get(), surface.context(), sample.text.c_str(), 3, 4, 0, 0, 1.0f, 5, 6);
    } else {
      paint(instance.get(), surface.context(), sample.text.c_str(), 5, 7, 0, 0, scale);
    }
    ASSERT_TRUE(surface.guardsIntact());
    const TestSurface::Box box = surface.touchedBox();
    ASSERT_GT(box.width(), 0) << "nothing drawn, sample " << i;
    const std::vector<std::uint8_t> gray = surface.gray(box);
    std::string why;
    const auto bytes = torv::test::decodePdf417(box.width(), box.height(), gray.data(), 0, {}, why);
    ASSERT_TRUE(bytes) << "sample " << i << " rows " << s.rows << " columns " << s.columns << " ecc " << s.ecc
                       << " scales " << s.xScale << "/" << s.yScale << " way " << way << ": " << why;
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), sample.expected) << "sample " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Batches, ScannedSymbols, ::testing::Range(0, kBatches));

}  // namespace
