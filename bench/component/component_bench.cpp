// SPDX-License-Identifier: Apache-2.0
// Cost of the plug-in's size, paint and print calls next to the encoder alone: every call runs
// the encoder once, and paint and print draw its pixel rows.
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "pdf417/pdf417.h"
#include "torvc_pdf417.h"

namespace {

using namespace torv::pdf417;

std::string sampleText(int length) {
  const std::string pattern = "Invoice 2026-12-08, total EUR 1234.50; customer no. 0047110815. ";
  std::string text;
  while (static_cast<int>(text.size()) < length) text += pattern;
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::u16string wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// The encoder as the plug-in drives it (8 columns, automatic level, modules 2 px, rows 6 px),
// writing into a buffer that is already there.
void EncoderAlone(benchmark::State& state) {
  const std::string text = sampleText(static_cast<int>(state.range(0)));
  std::vector<unsigned char> buffer(1 << 22);
  for (auto _ : state) {
    pdf417Reset();
    pdf417SetSizingMode(SIZING_FIXED);
    pdf417SetRowsColumns(0, 8);
    pdf417SetRowHeightRatio("6:2");
    Pdf417Stream input, output;
    pdf417OpenMemory(&input, PDF417_STREAM_INPUT, const_cast<char*>(text.data()),
                     static_cast<std::uint32_t>(text.size()));
    pdf417SetBitmapWriter(2, true);
    pdf417Encode(&input, static_cast<std::int32_t>(text.size()));
    std::int32_t written = 0;
    pdf417OpenMemory(&output, PDF417_STREAM_OUTPUT, buffer.data(), static_cast<std::uint32_t>(buffer.size()));
    pdf417Write(&output, &written);
    benchmark::DoNotOptimize(written);
  }
}

struct Component {
  TorvPdf417Comp* instance = GetNewInstance();
  Component() {
    setAttr(instance, u"PDF417_ECC", u"-1");
    setAttr(instance, u"PDF417_XSCALE", u"2");
    setAttr(instance, u"PDF417_YSCALE", u"5");
  }
  ~Component() { DeleteInstance(instance); }
};

void Autosize(benchmark::State& state) {
  const std::u16string text = wide(sampleText(static_cast<int>(state.range(0))));
  Component component;
  TorvDeviceContext dc{96, 96, 0, 0, 0, nullptr};
  for (auto _ : state) {
    float width = 0, height = 0;
    getAutosize(component.instance, &dc, text.c_str(), &width, &height);
    benchmark::DoNotOptimize(width);
  }
}

// Paint at 128 dpi (a host unit per pixel) at the given scale into a surface that holds it.
void Paint(benchmark::State& state) {
  const std::u16string text = wide(sampleText(static_cast<int>(state.range(0))));
  const float scale = static_cast<float>(state.range(1));
  Component component;
  TorvDeviceContext dc{128, 128, 0, 0, 0, nullptr};
  float width = 0, height = 0;
  getAutosize(component.instance, &dc, text.c_str(), &width, &height);
  dc.width = static_cast<int>(width * scale) + 1;
  dc.height = static_cast<int>(height * scale) + 1;
  dc.stride = dc.width * 4;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(dc.stride) * dc.height);
  dc.pixels = pixels.data();
  for (auto _ : state) {
    paint(component.instance, &dc, text.c_str(), 0, 0, 0, 0, scale);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.counters["pixels"] = static_cast<double>(dc.width) * dc.height;
}

void Print600Dpi(benchmark::State& state) {
  const std::u16string text = wide(sampleText(static_cast<int>(state.range(0))));
  Component component;
  TorvDeviceContext dc{600, 600, 0, 0, 0, nullptr};
  float width = 0, height = 0;
  getAutosize(component.instance, &dc, text.c_str(), &width, &height);
  dc.width = static_cast<int>(width * 4 / 3) + 4;
  dc.height = static_cast<int>(height * 4 / 3) + 4;
  dc.stride = dc.width * 4;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(dc.stride) * dc.height);
  dc.pixels = pixels.data();
  for (auto _ : state) {
    print(component.instance, &dc, text.c_str(), 0, 0, 0, 0, 1.0f, 0, 0);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.counters["pixels"] = static_cast<double>(dc.width) * dc.height;
}

BENCHMARK(EncoderAlone)->Arg(30)->Arg(300)->Arg(1000);
BENCHMARK(Autosize)->Arg(30)->Arg(300)->Arg(1000);
BENCHMARK(Paint)->Args({30, 1})->Args({300, 1})->Args({1000, 1})->Args({300, 3});
BENCHMARK(Print600Dpi)->Arg(30)->Arg(300)->Arg(1000);

}  // namespace

BENCHMARK_MAIN();
