// SPDX-License-Identifier: Apache-2.0
// Times our encoder against two peer PDF417 encoders on the same inputs: encode plus a complete
// bitmap in memory per symbol (level 2, 8 data columns, 1-pixel modules, 4-pixel rows where the peer
// takes these settings). Prints the time per symbol of each and the ratio peer / ours.
//
// A second table times the plug-in's whole chain (getAutosize: code-page conversion, encode, bitmap
// file, picture load, measure) on the same inputs against zint's encode plus bitmap, twice: with the
// reused record and RGB buffer above, and at zint's cheapest, as a host that sizes a symbol would call
// it: a record created and deleted per call, with the one-byte-per-pixel intermediate buffer.
//
// Usage: pdf417_bench [seconds per measurement, default 0.3]
#include <time.h>
#include <zint.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <ZXing/BarcodeFormat.h>
#include <ZXing/BitMatrix.h>
#include <ZXing/CharacterSet.h>
#include <ZXing/MultiFormatWriter.h>

#include "alternating_timer.h"
#include "pdf417/encoder.h"
#include "pdf417/macro.h"
#include "pdf417/pdf417.h"
#include "platform/code_page.h"
#include "torvc_pdf417.h"

namespace {

namespace enc = torv::pdf417;
using Bytes = std::vector<std::uint8_t>;

volatile std::uint64_t g_sink = 0;  // keeps results observable so no work is optimised away

// Thread CPU time, rounds sized to the seconds asked for, and alternating rounds for side-by-side
// ratios that stay steady while a shared machine's load changes.
using torv::bench::callsPerRound;
using torv::bench::roundMicros;
using torv::bench::timeAlternating;

// Median over five rounds of the mean time per call, in microseconds.
double timePerCall(const std::function<void()>& work, double secondsPerRound) {
  const long calls = callsPerRound(work, secondsPerRound);
  std::vector<double> rounds;
  for (int r = 0; r < 5; ++r) rounds.push_back(roundMicros(work, calls));
  std::sort(rounds.begin(), rounds.end());
  return rounds[2];
}

// ---- ours -------------------------------------------------------------------------------------------

std::vector<std::uint8_t> g_image(1 << 20);

bool encodeOurs(const Bytes& data, std::int32_t& written) {
  enc::pdf417Reset();
  enc::pdf417SetEccLevel(2);
  enc::pdf417SetSizingMode(enc::SIZING_FIXED);
  enc::pdf417SetRowsColumns(0, 8);
  enc::pdf417SetRowHeightRatio("4");
  enc::pdf417SetBitmapWriter(1, true);
  enc::Pdf417Stream in, out;
  enc::pdf417OpenMemory(&in, enc::PDF417_STREAM_INPUT, const_cast<std::uint8_t*>(data.data()),
                        static_cast<std::uint32_t>(data.size()));
  enc::pdf417OpenMemory(&out, enc::PDF417_STREAM_OUTPUT, g_image.data(), static_cast<std::uint32_t>(g_image.size()));
  written = 0;
  const bool ok =
      enc::pdf417Encode(&in, static_cast<std::int32_t>(data.size())) == 1 && enc::pdf417Write(&out, &written) == 0;
  if (!ok) {
    enc::pdf417Close(&in);
    enc::pdf417Close(&out);
  }
  return ok;
}

// ---- zint -------------------------------------------------------------------------------------------

// One symbol record reused across calls (cleared, options kept), so only encoding and rastering are
// timed, as for our encoder.
zint_symbol* zintSymbol() {
  static zint_symbol* s = [] {
    zint_symbol* z = ZBarcode_Create();
    z->symbology = BARCODE_PDF417;
    z->option_1 = 2;  // level
    z->option_2 = 8;  // data columns
    z->input_mode = DATA_MODE | HEIGHTPERROW_MODE;
    z->height = 4;    // per row, in modules
    z->scale = 0.5f;  // one pixel per module
    return z;
  }();
  return s;
}

bool encodeZint(const Bytes& data, int* width = nullptr, int* height = nullptr, int* rows = nullptr) {
  zint_symbol* s = zintSymbol();
  ZBarcode_Clear(s);
  s->input_mode = DATA_MODE | HEIGHTPERROW_MODE;
  s->height = 4;
  const int rc = ZBarcode_Encode_and_Buffer(s, data.data(), static_cast<int>(data.size()), 0);
  const bool ok = rc < ZINT_ERROR;
  if (ok) g_sink = g_sink + s->bitmap[0] + static_cast<std::uint64_t>(s->bitmap_width);
  if (width) *width = s->bitmap_width;
  if (height) *height = s->bitmap_height;
  if (rows) *rows = s->rows;
  return ok;
}

// zint at its cheapest for a host that only sizes: a fresh record per call (as a host keeps none
// between symbols) and OUT_BUFFER_INTERMEDIATE (one byte per pixel, no RGB conversion).
bool encodeZintCheapest(const Bytes& data, int* width = nullptr, int* height = nullptr) {
  zint_symbol* s = ZBarcode_Create();
  if (s == nullptr) return false;
  s->symbology = BARCODE_PDF417;
  s->option_1 = 2;
  s->option_2 = 8;
  s->input_mode = DATA_MODE | HEIGHTPERROW_MODE;
  s->height = 4;
  s->scale = 0.5f;
  s->output_options |= OUT_BUFFER_INTERMEDIATE;
  const int rc = ZBarcode_Encode_and_Buffer(s, data.data(), static_cast<int>(data.size()), 0);
  const bool ok = rc < ZINT_ERROR;
  if (ok) g_sink = g_sink + s->bitmap[0] + static_cast<std::uint64_t>(s->bitmap_width);
  if (width) *width = s->bitmap_width;
  if (height) *height = s->bitmap_height;
  ZBarcode_Delete(s);
  return ok;
}

// ---- zxing-cpp ---------------------------------------------------------------------------------------

std::wstring asLatin1(const Bytes& data) { return std::wstring(data.begin(), data.end()); }

bool encodeZxing(const std::wstring& text, int* width = nullptr, int* height = nullptr) {
  try {
    ZXing::MultiFormatWriter writer(ZXing::BarcodeFormat::PDF417);
    writer.setEncoding(ZXing::CharacterSet::ISO8859_1).setEccLevel(2).setMargin(0);
    const ZXing::BitMatrix m = writer.encode(text, 0, 0);
    g_sink = g_sink + static_cast<std::uint64_t>(m.width());
    if (width) *width = m.width();
    if (height) *height = m.height();
    return m.width() > 0;
  } catch (...) {
    return false;
  }
}

// ---- inputs -----------------------------------------------------------------------------------------

struct Input {
  const char* name;
  Bytes data;
};

std::vector<Input> inputs() {
  std::vector<Input> v;
  const std::string hello = "Hello, World! PDF417 test 0123456789";
  v.push_back({"36-byte text", Bytes(hello.begin(), hello.end())});

  const std::string prose =
      "It was the best of times, it was the worst of times; in the year 1775 there were 365 days and "
      "the mail left at 0800 hours for Dover, 71 miles away. Receipt 20240531 covers items 17 to 42. ";
  Bytes text;
  while (text.size() < 1000) text.insert(text.end(), prose.begin(), prose.end());
  text.resize(1000);
  v.push_back({"1000-byte text", text});

  std::mt19937 rng(417);
  Bytes random(500);
  for (auto& b : random) b = static_cast<std::uint8_t>(rng() & 0xFF);
  v.push_back({"500 random bytes", random});

  Bytes digits(1800);
  for (auto& d : digits) d = static_cast<std::uint8_t>('0' + rng() % 10);
  v.push_back({"1800 digits", digits});
  return v;
}

// ---- the plug-in chain -------------------------------------------------------------------------------

// The input as the host hands it to the plug-in: each byte as its Windows-1252 character, so that
// the plug-in's conversion gives the bytes back. A NUL cannot travel in the text and becomes 0xFF;
// zint then gets the same bytes.
std::u16string chainText(const Bytes& data, Bytes& sameBytes) {
  std::u16string text;
  sameBytes.clear();
  for (std::uint8_t b : data) {
    const std::uint8_t byte = b == 0 ? 0xFF : b;
    sameBytes.push_back(byte);
    text.push_back(torv::platform::ansiByteToUtf16(byte));
  }
  return text;
}

// Level 2, 8 columns, modules 1 pixel wide, rows 4 pixels high: zint's settings above.
struct ChainInstance {
  TorvPdf417Comp* instance = GetNewInstance();
  ChainInstance() {
    setAttr(instance, u"PDF417_ECC", u"2");
    setAttr(instance, u"PDF417_COLNUM", u"8");
    setAttr(instance, u"PDF417_XSCALE", u"1");
    setAttr(instance, u"PDF417_YSCALE", u"4");
  }
  ~ChainInstance() { DeleteInstance(instance); }
};

bool autosizeOurs(TorvPdf417Comp* instance, const std::u16string& text, float& width, float& height) {
  TorvDeviceContext dc{96, 96, 0, 0, 0, nullptr};
  width = -1;
  height = -1;
  getAutosize(instance, &dc, text.c_str(), &width, &height);
  return width > 0 && height > 0;
}

// Runs the chain against one zint configuration; false when a side fails. `least` gets the
// smallest ratio zint / ours.
bool runChainAgainst(const std::vector<Input>& all, double seconds, const char* title,
                     bool (*zintCall)(const Bytes&, int*, int*), double& least) {
  std::printf(
      "\nPlug-in chain (getAutosize at 96 dpi) against %s, CPU time per call\n"
      "(median of 7 rounds of %.2f s each, ours and zint alternating)\n",
      title, seconds);
  std::printf("%-18s %10s %10s %9s   %s\n", "input", "ours us", "zint us", "zint/our", "natural size (ours; zint)");
  ChainInstance chain;
  bool allOk = true;
  for (const Input& in : all) {
    Bytes bytes;
    const std::u16string text = chainText(in.data, bytes);
    float w = 0, h = 0;
    int zw = 0, zh = 0;
    if (!autosizeOurs(chain.instance, text, w, h) || !zintCall(bytes, &zw, &zh)) {
      std::printf("%-18s failed\n", in.name);
      allOk = false;
      continue;
    }
    const auto [ours, zint] = timeAlternating(
        [&] {
          float width, height;
          autosizeOurs(chain.instance, text, width, height);
          g_sink = g_sink + static_cast<std::uint64_t>(width);
        },
        [&] { zintCall(bytes, nullptr, nullptr); }, seconds);
    least = std::min(least, zint / ours);
    std::printf("%-18s %10.2f %10.2f %8.2fx   %.0fx%.0f pt; %dx%d px\n", in.name, ours, zint, zint / ours, w, h, zw,
                zh);
  }
  return allOk;
}

bool runChain(const std::vector<Input>& all, double seconds) {
  double leastReused = 1e9, leastCheapest = 1e9;
  bool ok = runChainAgainst(
      all, seconds, "zint encode + RGB bitmap, one record reused",
      [](const Bytes& data, int* width, int* height) { return encodeZint(data, width, height); }, leastReused);
  ok =
      runChainAgainst(all, seconds, "zint at its cheapest: record per call, OUT_BUFFER_INTERMEDIATE (1 byte per pixel)",
                      encodeZintCheapest, leastCheapest) &&
      ok;
  std::printf("\nchain against zint, smallest ratio: %.2fx (reused record, RGB), %.2fx (cheapest); target 5x: %s\n",
              leastReused, leastCheapest, std::min(leastReused, leastCheapest) >= 5.0 ? "met" : "NOT met");
  return ok;
}

// ---- variants: compact PDF417 and a Macro PDF417 set -------------------------------------------------

std::vector<std::uint8_t> g_variantImage;

// Our encoder object made per call, as zint's record is: encode and a BMP in memory (1-pixel
// modules, 4-pixel rows), level and columns as zint gets them.
bool variantOurs(const Bytes& data, bool compact, int level, int columns) {
  enc::Encoder encoder;
  encoder.setEccLevel(level);
  encoder.setSizingMode(enc::SIZING_FIXED);
  encoder.setRowsColumns(0, columns);
  encoder.setRowHeightRatio("4");
  encoder.setBitmapWriter(1, true);
  encoder.setCompact(compact);
  if (encoder.encode(data.data(), static_cast<std::uint32_t>(data.size())) != 1) return false;
  const bool ok = encoder.writeImage(g_variantImage) == 0;
  g_sink = g_sink + g_variantImage.size();
  return ok;
}

// zint at its cheapest: a record per symbol, the intermediate buffer. With a count, the symbol is
// segment index (0-based) of a Structured Append set of that many.
bool variantZint(const std::uint8_t* data, std::size_t length, int symbology, int level, int columns, int index = 0,
                 int count = 0) {
  zint_symbol* s = ZBarcode_Create();
  if (s == nullptr) return false;
  s->symbology = symbology;
  s->option_1 = level;
  s->option_2 = columns;
  s->input_mode = DATA_MODE | HEIGHTPERROW_MODE;
  s->height = 4;
  s->scale = 0.5f;
  s->output_options |= OUT_BUFFER_INTERMEDIATE;
  if (count > 1) {
    s->structapp.index = index + 1;
    s->structapp.count = count;
    std::snprintf(s->structapp.id, sizeof s->structapp.id, "017899000");
  }
  const int rc = ZBarcode_Encode_and_Buffer(s, data, static_cast<int>(length), 0);
  const bool ok = rc < ZINT_ERROR;
  if (ok) g_sink = g_sink + s->bitmap[0] + static_cast<std::uint64_t>(s->bitmap_width);
  ZBarcode_Delete(s);
  return ok;
}

// A whole Macro PDF417 set of ours: the split, then each symbol encoded and drawn.
bool macroSetOurs(const Bytes& data, const enc::MacroFile& file, std::size_t* symbols = nullptr) {
  enc::Encoder encoder;
  encoder.setEccLevel(4);
  encoder.setSizingMode(enc::SIZING_FIXED);
  encoder.setRowsColumns(35, 13);
  encoder.setRowHeightRatio("4");
  encoder.setBitmapWriter(1, true);
  enc::MacroSet set;
  if (set.split(encoder, data.data(), static_cast<std::uint32_t>(data.size()), file) != 0) return false;
  for (std::size_t i = 0; i < set.size(); ++i) {
    if (set.encode(encoder, i) != 1 || encoder.writeImage(g_variantImage) != 0) return false;
    g_sink = g_sink + g_variantImage.size();
  }
  if (symbols) *symbols = set.size();
  return true;
}

bool runVariants(double seconds) {
  std::printf(
      "\nVariants against zint at its cheapest (record per symbol, OUT_BUFFER_INTERMEDIATE), CPU time per call\n"
      "(median of 7 rounds of %.2f s each, ours and zint alternating)\n",
      seconds);
  std::printf("%-54s %10s %10s %9s\n", "variant / input", "ours us", "zint us", "zint/our");
  bool allOk = true;
  double least = 1e9;
  auto report = [&](const std::string& name, const std::function<bool()>& ours, const std::function<bool()>& zint) {
    if (!ours() || !zint()) {
      std::printf("%-54s failed\n", name.c_str());
      allOk = false;
      return;
    }
    const auto [o, z] = timeAlternating([&] { ours(); }, [&] { zint(); }, seconds);
    least = std::min(least, z / o);
    std::printf("%-54s %10.2f %10.2f %8.2fx\n", name.c_str(), o, z, z / o);
  };
  for (const Input& in : inputs()) {
    const Bytes& d = in.data;
    report(
        std::string("plain, level 2, 8 columns: ") + in.name, [&] { return variantOurs(d, false, 2, 8); },
        [&] { return variantZint(d.data(), d.size(), BARCODE_PDF417, 2, 8); });
    report(
        std::string("compact, level 2, 8 columns: ") + in.name, [&] { return variantOurs(d, true, 2, 8); },
        [&] { return variantZint(d.data(), d.size(), BARCODE_PDF417COMP, 2, 8); });
  }
  // 40 symbols of 13 columns x 35 rows at level 4: zint gets our segments ready cut, as it does not split.
  std::mt19937 rng(29);
  Bytes file(19500);
  for (auto& b : file) b = static_cast<std::uint8_t>(rng());
  enc::MacroFile fields;
  fields.fileId = {17, 899, 0};
  std::vector<std::pair<std::size_t, std::size_t>> pieces;
  {
    enc::Encoder encoder;
    encoder.setEccLevel(4);
    encoder.setSizingMode(enc::SIZING_FIXED);
    encoder.setRowsColumns(35, 13);
    enc::MacroSet set;
    if (set.split(encoder, file.data(), static_cast<std::uint32_t>(file.size()), fields) == 0) {
      for (std::size_t i = 0; i < set.size(); ++i) pieces.emplace_back(set.piece(i).offset, set.piece(i).length);
    }
  }
  const int count = static_cast<int>(pieces.size());
  report(
      "Macro set of " + std::to_string(count) + ": 19500 random bytes, 13x35, level 4",
      [&] { return macroSetOurs(file, fields); },
      [&] {
        for (int i = 0; i < count; ++i) {
          if (!variantZint(file.data() + pieces[i].first, pieces[i].second, BARCODE_PDF417, 4, 13, i, count)) {
            return false;
          }
        }
        return count > 0;
      });
  std::printf("\nvariants against zint, smallest ratio: %.2fx; target 5x: %s\n", least,
              least >= 5.0 ? "met" : "NOT met");
  return allOk;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.3;
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: %s [seconds per measurement]\n", argv[0]);
    return 2;
  }
  std::printf("PDF417 encode + bitmap in memory, CPU time per symbol (median of 5 rounds of %.2f s)\n", seconds);
  std::printf("%-18s %10s %10s %10s %9s %9s   %s\n", "input", "ours us", "zint us", "zxing us", "zint/our", "zxing/our",
              "symbol (ours; zint)");
  bool allOk = true;
  for (const Input& in : inputs()) {
    std::int32_t written = 0;
    if (!encodeOurs(in.data, written)) {
      std::printf("%-18s our encoder failed\n", in.name);
      allOk = false;
      continue;
    }
    int zw = 0, zh = 0, zrows = 0;
    const bool zintOk = encodeZint(in.data, &zw, &zh, &zrows);
    const std::wstring wide = asLatin1(in.data);
    const bool zxingOk = encodeZxing(wide);

    const double ours = timePerCall(
        [&] {
          std::int32_t n;
          encodeOurs(in.data, n);
          g_sink = g_sink + n;
        },
        seconds);
    const double zint = zintOk ? timePerCall([&] { encodeZint(in.data); }, seconds) : 0;
    const double zxing = zxingOk ? timePerCall([&] { encodeZxing(wide); }, seconds) : 0;
    std::printf("%-18s %10.2f %10.2f %10.2f %8.2fx %8.2fx   %d bytes BMP; %dx%d px, %d rows\n", in.name, ours, zint,
                zxing, zintOk ? zint / ours : 0.0, zxingOk ? zxing / ours : 0.0, written, zw, zh, zrows);
  }
  allOk = runChain(inputs(), seconds) && allOk;
  allOk = runVariants(seconds) && allOk;
  ZBarcode_Delete(zintSymbol());
  return allOk ? 0 : 1;
}
