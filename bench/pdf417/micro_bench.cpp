// SPDX-License-Identifier: Apache-2.0
// MicroPDF417: our encoder (a fresh MicroEncoder per symbol, encode plus the whole BMP in memory)
// against zint at its cheapest (a record created and deleted per call, OUT_BUFFER_INTERMEDIATE),
// both at 4 columns, 1-pixel modules and 2-pixel rows, on the same bytes. Prints the CPU time per
// symbol of each and the ratio zint / ours; exits 1 when a side fails.
//
// Usage: pdf417_micro_bench [seconds per measurement, default 0.3]
#include <time.h>
#include <zint.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "alternating_timer.h"
#include "pdf417/micro_encoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace enc = torv::pdf417;

volatile std::uint64_t g_sink = 0;

using torv::bench::timeAlternating;

std::vector<std::uint8_t> g_image;

bool encodeOurs(const Bytes& data, int* width = nullptr, int* height = nullptr) {
  enc::MicroEncoder e;
  e.setSize(4, 0);
  if (e.encode(data.data(), static_cast<std::uint32_t>(data.size())) != 1) return false;
  enc::BitmapOptions bitmap;
  bitmap.installed = true;
  bitmap.moduleWidth = 1;
  bitmap.withFileHeader = true;
  enc::writeMicroBitmap(g_image, e.symbol(), bitmap);
  g_sink = g_sink + g_image.size() + g_image.back();
  if (width) *width = static_cast<int>(e.symbol().widthModules());
  if (height) *height = 2 * e.symbol().rows;
  return true;
}

bool encodeZintCheapest(const Bytes& data, int* width = nullptr, int* height = nullptr) {
  zint_symbol* s = ZBarcode_Create();
  if (s == nullptr) return false;
  s->symbology = BARCODE_MICROPDF417;
  s->option_2 = 4;
  s->input_mode = DATA_MODE | HEIGHTPERROW_MODE;
  s->height = 2;
  s->scale = 0.5f;
  s->output_options |= OUT_BUFFER_INTERMEDIATE;
  const bool ok = ZBarcode_Encode_and_Buffer(s, data.data(), static_cast<int>(data.size()), 0) < ZINT_ERROR;
  if (ok) g_sink = g_sink + s->bitmap[0] + static_cast<std::uint64_t>(s->bitmap_width);
  if (width) *width = s->bitmap_width;
  if (height) *height = s->bitmap_height;
  ZBarcode_Delete(s);
  return ok;
}

struct Input {
  const char* name;
  Bytes data;
};

std::vector<Input> inputs() {
  std::vector<Input> v;
  const std::string text = "Lot 4711, best before 2027-05-31; pallet 17 of 42. Receipt 20240531 for Dover. ";
  v.push_back({"20-byte text", Bytes(text.begin(), text.begin() + 20)});
  v.push_back({"80-byte text", Bytes(text.begin(), text.end())});
  std::mt19937 rng(24728);
  Bytes random(100);
  for (auto& b : random) b = static_cast<std::uint8_t>(rng());
  v.push_back({"100 random bytes", random});
  Bytes digits(300);
  for (auto& d : digits) d = static_cast<std::uint8_t>('0' + rng() % 10);
  v.push_back({"300 digits", digits});
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.3;
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: %s [seconds per measurement]\n", argv[0]);
    return 2;
  }
  std::printf(
      "MicroPDF417, 4 columns, encode + bitmap in memory, CPU time per symbol\n"
      "(median of 7 alternating rounds of %.2f s); zint at its cheapest: record per call, "
      "OUT_BUFFER_INTERMEDIATE\n",
      seconds);
  std::printf("%-18s %10s %10s %9s   %s\n", "input", "ours us", "zint us", "zint/our", "picture (ours; zint)");
  bool ok = true;
  double least = 1e9;
  for (const Input& in : inputs()) {
    int w = 0, h = 0, zw = 0, zh = 0;
    if (!encodeOurs(in.data, &w, &h) || !encodeZintCheapest(in.data, &zw, &zh)) {
      std::printf("%-18s a side failed\n", in.name);
      ok = false;
      continue;
    }
    const auto [ours, zint] =
        timeAlternating([&] { encodeOurs(in.data); }, [&] { encodeZintCheapest(in.data); }, seconds);
    least = std::min(least, zint / ours);
    std::printf("%-18s %10.2f %10.2f %8.2fx   %dx%d; %dx%d px\n", in.name, ours, zint, zint / ours, w, h, zw, zh);
  }
  std::printf("smallest ratio zint / ours: %.2fx; target 5x: %s\n", least, least >= 5.0 ? "met" : "NOT met");
  return ok ? 0 : 1;
}
