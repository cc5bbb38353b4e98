// SPDX-License-Identifier: Apache-2.0
// The DLL on a pool of threads, as a report server drives it: four threads, each with its own
// instances, paint into DIB sections of their own and print through metafiles of their own, with
// no COM set-up of any kind. Every picture must be the one the same settings draw alone.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "paint_cases.h"
#include "torvc_pdf417.h"
#include "white_surface.h"

namespace {

using torv::test::PaintCase;
using torv::test::WhiteSurface;

constexpr int kThreads = 4;
constexpr int kRounds = 6;

struct Drawn {
  std::vector<std::uint8_t> painted, printed;
};

// A surface a little larger than the symbol, painted white.
std::vector<std::uint8_t> pixelsOf(WhiteSurface& surface) {
  int dark = 0;
  return surface.image(dark).bgr;
}

// paint at scale 1.5 into a DIB section, and print into an enhanced metafile recorded against a
// memory DC, played back 1:1 into another DIB section: everything made and released on the caller's thread.
Drawn draw(const PaintCase& c) {
  Drawn d;
  TorvPdf417Comp* instance = GetNewInstance();
  torv::test::applyAttributes(c, instance, setAttr);
  HDC reference = CreateCompatibleDC(nullptr);
  float width = 0, height = 0;
  getAutosize(instance, reference, c.text.c_str(), &width, &height);
  const int w = static_cast<int>(width * 2) + 20, h = static_cast<int>(height * 2) + 20;

  WhiteSurface painted(w, h);
  if (painted.ready()) {
    paint(instance, painted.dc(), c.text.c_str(), 4.0f, 4.0f, 0.0f, 0.0f, 1.5f);
    d.painted = pixelsOf(painted);
  }

  HDC recorder = CreateEnhMetaFileW(reference, nullptr, nullptr, nullptr);
  if (recorder != nullptr) {
    print(instance, recorder, c.text.c_str(), 5.0f, 5.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    WhiteSurface printed(w, h);
    if (metafile != nullptr && printed.ready()) {
      const RECT target{0, 0, w, h};
      if (PlayEnhMetaFile(printed.dc(), metafile, &target)) d.printed = pixelsOf(printed);
    }
    if (metafile != nullptr) DeleteEnhMetaFile(metafile);
  }
  DeleteDC(reference);
  DeleteInstance(instance);
  return d;
}

TEST(Threads, PicturesPaintedAndPrintedOnFourThreadsAreThoseDrawnAlone) {
  std::vector<PaintCase> cases = torv::test::paintCases();
  for (const PaintCase& c : torv::test::printCases()) cases.push_back(c);
  std::vector<Drawn> alone;
  for (const PaintCase& c : cases) {
    alone.push_back(draw(c));
    ASSERT_FALSE(alone.back().painted.empty()) << c.name;
    ASSERT_FALSE(alone.back().printed.empty()) << c.name;
  }
  std::atomic<int> compared{0}, differ{0};
  const auto work = [&](int thread) {
    for (int round = 0; round < kRounds; ++round) {
      for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::size_t index = (i + static_cast<std::size_t>(thread)) % cases.size();  // threads out of step
        const Drawn d = draw(cases[index]);
        compared += 2;
        differ += (d.painted != alone[index].painted) + (d.printed != alone[index].printed);
      }
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(work, t);
  for (std::thread& t : threads) t.join();
  std::cout << "threads " << kThreads << ", pictures compared " << compared << ", differ " << differ << "\n";
  EXPECT_EQ(differ, 0);
}

}  // namespace
