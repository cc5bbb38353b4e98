// SPDX-License-Identifier: Apache-2.0
// Fewest-codeword compaction read back by zxing-cpp to the same bytes, on a sample of every kind
// of data (digits, text, punctuation runs, binary, Latin-1, UTF-8 after ECI 26), and never more data
// codewords than zint's own search takes for the same bytes and ECI (zint's count read back from its
// symbol by the test reader).
#include <zint.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bmp_reader.h"
#include "pdf417/encoder.h"
#include "symbol_reader.h"
#include "zxing_decode.h"

namespace {

using torv::test::PixelGrid;
using torv::test::SymbolRead;

const torv::test::PatternTables& tables() {
  static torv::test::PatternTables t;
  static const bool loaded = [] {
    std::string why;
    if (!t.load(TORV_PATTERN_FILE, why)) ADD_FAILURE() << why;
    return true;
  }();
  (void)loaded;
  return t;
}

struct Sample {
  std::string kind;
  std::string data;
  int eci;
};

std::vector<Sample> samples() {
  std::mt19937 rng(4729);
  auto pick = [&](const std::string& alphabet, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += alphabet[rng() % alphabet.size()];
    return s;
  };
  // Byte shifts between Punctuation runs of both parities, shifts out of Lower, digits beside bytes.
  std::vector<Sample> out = {
      {"shifts", ";;;;;\x80;;;;;", -1},
      {"shifts", ";;;;\x80;;;;\x81;;;", -1},
      {"shifts",
       "ab;;;\x80;;;;\x80;;;\x80"
       "c",
       -1},
      {"shifts", "abcDefGhi\x01jk;l", -1},
      {"shifts",
       "\xff"
       "123456789012\xfe"
       "12345\xfd",
       -1},
  };
  for (int i = 0; i < 8; ++i) {
    const int n = 1 + static_cast<int>(rng() % (i < 6 ? 60 : 300));
    out.push_back({"digits", pick("0123456789", n), -1});
    out.push_back({"text", pick("Order no. 4711, qty 15: ABCDE abcde Main St. #7 ", n), -1});
    out.push_back({"punctuation", pick(";;;<>@[\\]_`~!\"|()?{}'..--ABab12\r\n\t", n), -1});
    out.push_back({"binary", pick(std::string("\x00\x01\x7f\x80\xff\x1e", 6) + "AZaz09 ;", n), -1});
    out.push_back({"latin1",
                   pick("Stra\xdf"
                        "e \xe4\xf6\xfc\xc4\xe9 caf\xe9 GR\xdc\xdf"
                        "E 12",
                        n),
                   -1});
    std::string utf8;
    while (static_cast<int>(utf8.size()) < n) {
      static const char* pieces[] = {"\xd0\x9c\xd0\xbe\xd1\x81", "\xe2\x82\xac", "abc ", "ABC", "123", ";!"};
      utf8 += pieces[rng() % 6];
    }
    out.push_back({"utf8", utf8, 26});
  }
  return out;
}

// Data codewords of zint's symbol for the bytes (designator included, descriptor and pads excluded).
int zintCount(const Sample& s, std::string& why) {
  std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> z(ZBarcode_Create(), ZBarcode_Delete);
  z->symbology = BARCODE_PDF417;
  z->input_mode = DATA_MODE;
  z->option_1 = 2;
  z->option_2 = 20;
  z->eci = s.eci < 0 ? 0 : s.eci;
  z->scale = 0.5f;
  if (ZBarcode_Encode_and_Buffer(z.get(), reinterpret_cast<const unsigned char*>(s.data.data()),
                                 static_cast<int>(s.data.size()), 0) >= ZINT_ERROR) {
    why = z->errtxt;
    return -1;
  }
  const int w = z->bitmap_width, h = z->bitmap_height;
  std::vector<std::uint8_t> gray(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < gray.size(); ++i) gray[i] = z->bitmap[3 * i];
  SymbolRead read;
  if (!torv::test::readSymbol(PixelGrid{w, h, gray.data()}, 1, h / z->rows, tables(), true, read, why) ||
      !torv::test::checkSymbol(read, why)) {
    return -1;
  }
  int n = read.sequence[0];
  while (n > 1 && read.sequence[static_cast<std::size_t>(n) - 1] == 900) --n;  // pads
  return n - 1;
}

TEST(FewestCompactionRead, ReadersReturnTheBytesAndZintTakesNoFewer) {
  namespace enc = torv::pdf417;
  for (const Sample& s : samples()) {
    enc::Encoder encoder;
    ASSERT_EQ(encoder.setCompaction(enc::Compaction::Fewest), 1);
    ASSERT_EQ(encoder.setEci(s.eci), 1);
    ASSERT_EQ(encoder.setBitmapWriter(1, true), 1);
    ASSERT_EQ(encoder.encode(s.data.data(), static_cast<std::uint32_t>(s.data.size())), 1) << s.kind;
    std::vector<std::uint8_t> image;
    ASSERT_EQ(encoder.writeImage(image), 0) << s.kind;
    const int ours = encoder.message()->count - 1;

    torv::test::OneBitBmp bmp;
    std::string why;
    ASSERT_TRUE(torv::test::readOneBitBmp(image.data(), image.size(), bmp, why)) << why;
    const auto bytes = torv::test::decodePdf417(bmp);
    ASSERT_TRUE(bytes.has_value()) << s.kind << ": " << s.data;
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), s.data) << s.kind;

    const int zint = zintCount(s, why);
    ASSERT_GE(zint, 0) << s.kind << ": " << why;
    EXPECT_LE(ours, zint) << s.kind << ": " << s.data;
  }
}

}  // namespace
