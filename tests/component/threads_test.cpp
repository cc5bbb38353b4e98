// SPDX-License-Identifier: Apache-2.0
// Many threads drawing at once, as a report server's pool does: every picture must be the one the
// same instance draws alone. TORV_THREAD_ROUNDS raises the rounds for a stress run.
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "test_surface.h"
#include "torvc_pdf417.h"

namespace {

using torv::test::TestSurface;

struct InstanceDeleter {
  void operator()(TorvPdf417Comp* instance) const { DeleteInstance(instance); }
};
using Instance = std::unique_ptr<TorvPdf417Comp, InstanceDeleter>;

struct Setting {
  int rows, columns, ecc, xScale, yScale;
  const char16_t* text;
};

// Symbols that differ in every stage: compaction mode, size, level, module width and row height.
constexpr Setting kSettings[] = {
    {0, 0, 9, 1, 1, u"Invoice 2026-0001 / 1,234.50 EUR"},
    {10, 8, 0, 2, 3, u"0123456789012345678901234567890123456789"},
    {0, 4, 2, 1, 2, u"Label \u00e9\u00e8\u00fc \u20ac 17 kg"},
    {20, 0, 5, 3, 1, u"MIXED mixed 12345 !@#$% mixed MIXED"},
    {6, 6, 1, 1, 4, u"short"},
    {0, 12, 3, 2, 2, u"lorem ipsum dolor sit amet, consectetur adipiscing elit 42"},
    {30, 3, 0, 1, 1, u"\u0001\u0002binary\u007f\u00ff"},
    {0, 0, 4, 4, 4, u"Order 4711"},
};
constexpr int kInstances = sizeof kSettings / sizeof kSettings[0];
constexpr int kThreads = 4;

Instance instanceWith(const Setting& s) {
  Instance instance(GetNewInstance());
  const auto set = [&](const char16_t* name, int value) {
    const std::string text = std::to_string(value);
    const std::u16string wide(text.begin(), text.end());
    setAttr(instance.get(), name, wide.c_str());
  };
  set(u"PDF417_ROWNUM", s.rows);
  set(u"PDF417_COLNUM", s.columns);
  set(u"PDF417_ECC", s.ecc);
  set(u"PDF417_XSCALE", s.xScale);
  set(u"PDF417_YSCALE", s.yScale);
  return instance;
}

// What one instance draws: its natural size, a painting and a print at 120 dpi, clipped to small
// surfaces: the encoder's share of the time, where threads would meet, stays large.
struct Drawn {
  float width = -1, height = -1;
  std::vector<unsigned char> painted, printed;
  // How many of the three (size, painting, print) differ from the other's.
  int differences(const Drawn& o) const {
    return (width != o.width || height != o.height) + (painted != o.painted) + (printed != o.printed);
  }
};

Drawn draw(TorvPdf417Comp* instance, const char16_t* text) {
  Drawn d;
  TestSurface paintSurface(400, 240, 96);
  getAutosize(instance, paintSurface.context(), text, &d.width, &d.height);
  paint(instance, paintSurface.context(), text, 3, 2, 0, 0, 1.0f);
  TestSurface printSurface(400, 240, 120);
  print(instance, printSurface.context(), text, 1, 1, 0, 0, 1.0f, 2, 2);
  d.painted = paintSurface.bytes();
  d.printed = printSurface.bytes();
  return d;
}

int rounds() {
  const char* text = std::getenv("TORV_THREAD_ROUNDS");
  const int n = text != nullptr ? std::atoi(text) : 0;
  return n > 0 ? n : 40;
}

// Each thread owns one or two instances, on which it also reads, saves, restores and rewrites the
// attributes between drawings, and draws the shared instance and copies of it, which every thread
// only reads.
TEST(Threads, EveryPictureDrawnOnManyThreadsIsTheOneDrawnAlone) {
  std::vector<Instance> instances;
  std::vector<Drawn> alone;
  for (const Setting& s : kSettings) {
    instances.push_back(instanceWith(s));
    alone.push_back(draw(instances.back().get(), s.text));
    ASSERT_FALSE(alone.back().width < 0) << "nothing drawn for setting " << alone.size() - 1;
  }
  const int n = rounds();
  std::atomic<int> compared{0}, differ{0}, calls{0};
  const auto check = [&](int index, TorvPdf417Comp* instance) {
    differ += draw(instance, kSettings[index].text).differences(alone[index]);
    calls += 3;
    compared += 3;
  };
  const auto work = [&](int thread) {
    for (int round = 0; round < n; ++round) {
      for (int index = 1 + thread; index < kInstances; index += kThreads) {
        TorvPdf417Comp* instance = instances[index].get();
        int length = 0;
        unsigned char* record = writeMe(instance, &length);
        readMe(instance, record, length);
        std::free(record);
        char16_t value[16];
        getAttr(instance, u"PDF417_XSCALE", value, getAttrLength(instance, u"PDF417_XSCALE"));
        setAttr(instance, u"PDF417_XSCALE", value);
        calls += 5;
        check(index, instance);
      }
      check(0, instances[0].get());
      Instance copy(GetCopyInstance(instances[0].get()));
      check(0, copy.get());
      calls += 2;
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(work, t);
  for (std::thread& t : threads) t.join();
  std::cout << "threads " << kThreads << ", instances " << kInstances << ", rounds " << n << ", calls " << calls
            << ", pictures compared " << compared << ", differ " << differ << "\n";
  EXPECT_EQ(differ, 0);
}

}  // namespace
