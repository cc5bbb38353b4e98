// SPDX-License-Identifier: Apache-2.0
// The plug-in in the paths a host prints through: print into an enhanced metafile recorded against
// a 96-dpi reference (as print preview does), played back at a 600-dpi printer's scale; and print
// and paint straight into a surface whose resolution is not 96 (run in a Wine prefix set to
// 600 dpi). Wine has no barcode reader, so the pictures are kept as files and read back by the
// Linux suite (windows_paint_tests); here only their size and ink are checked.
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "paint_cases.h"
#include "painted_image.h"
#include "torvc_pdf417.h"
#include "white_surface.h"

namespace {

using torv::test::PaintCase;
using torv::test::PaintedImage;
using torv::test::WhiteSurface;

std::string picturePath(const std::string& path, const PaintCase& c) {
  char value[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA("TORV_PAINTED_DIR", value, sizeof value);
  const std::string directory = length > 0 && length < sizeof value ? std::string(value) : TORV_PAINTED_DIR;
  CreateDirectoryA(directory.c_str(), nullptr);
  return directory + "/" + path + "-" + c.name + ".bmp";
}

TorvPdf417Comp* instanceFor(const PaintCase& c) {
  TorvPdf417Comp* instance = GetNewInstance();
  applyAttributes(c, instance, setAttr);
  return instance;
}

constexpr int kMargin = 40;  // white around the symbol, in printer pixels

// Keeps the surface's picture for the Linux side, after checking that the symbol is on it.
void keep(WhiteSurface& surface, const std::string& path, const PaintCase& c) {
  int dark = 0;
  const PaintedImage image = surface.image(dark);
  EXPECT_GT(dark, 0) << "nothing drawn";
  EXPECT_TRUE(torv::test::writePaintedImage(picturePath(path, c), image));
}

TEST(PrintPaths, MetafilePlayedBackAtPrinterScale) {
  HDC reference = CreateCompatibleDC(nullptr);
  ASSERT_EQ(GetDeviceCaps(reference, LOGPIXELSX), 96) << "the metafile is recorded against a 96-dpi reference";
  for (const PaintCase& c : torv::test::printCases()) {
    SCOPED_TRACE(c.name);
    HDC recorder = CreateEnhMetaFileW(reference, nullptr, nullptr, nullptr);
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(GetDeviceCaps(recorder, LOGPIXELSX), 96);
    TorvPdf417Comp* instance = instanceFor(c);
    print(instance, recorder, c.text.c_str(), 10.0f, 5.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    DeleteInstance(instance);
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    ASSERT_NE(metafile, nullptr);
    ENHMETAHEADER header{};
    ASSERT_EQ(GetEnhMetaFileHeader(metafile, sizeof header, &header), sizeof header);
    const RECTL& bounds = header.rclBounds;  // the recorded pixels, inclusive
    ASSERT_EQ(bounds.left, 10);
    ASSERT_EQ(bounds.top, 5);

    // A 600-dpi printer: 6.25 of its pixels for each of the reference's.
    const int width = (bounds.right - bounds.left + 1) * 25 / 4;
    const int height = (bounds.bottom - bounds.top + 1) * 25 / 4;
    WhiteSurface printer(width + 2 * kMargin, height + 2 * kMargin);
    ASSERT_TRUE(printer.ready());
    const RECT target{kMargin, kMargin, kMargin + width, kMargin + height};
    ASSERT_TRUE(PlayEnhMetaFile(printer.dc(), metafile, &target));
    DeleteEnhMetaFile(metafile);
    keep(printer, "metafile-6.25x", c);
  }
  DeleteDC(reference);
}

// Runs where the display reports 600 dpi (the ctest entry that uses a 600-dpi Wine prefix). The
// picture loader then gives the bitmap 600 dpi too, so the symbol is drawn pixel for pixel.
TEST(PrintPaths, PrintAndPaintAtDeviceResolution) {
  WhiteSurface probe(1, 1);
  ASSERT_TRUE(probe.ready());
  if (probe.dpiX() == 96) GTEST_SKIP() << "a 96-dpi surface; run in the 600-dpi prefix";
  ASSERT_EQ(probe.dpiX(), 600);
  ASSERT_EQ(probe.dpiY(), 600);
  for (const PaintCase& c : torv::test::printCases()) {
    SCOPED_TRACE(c.name);
    TorvPdf417Comp* instance = instanceFor(c);
    // A surface for the symbol at its natural size (a host unit is 3/4 of a device pixel at any
    // resolution), with white around it.
    const auto surfaceFor = [&]() {
      float naturalWidth = 0, naturalHeight = 0;
      getAutosize(instance, probe.dc(), c.text.c_str(), &naturalWidth, &naturalHeight);
      EXPECT_GT(naturalWidth, 0);
      return std::make_unique<WhiteSurface>(static_cast<int>(std::ceil(naturalWidth * 4 / 3)) + 8 + 2 * kMargin,
                                            static_cast<int>(std::ceil(naturalHeight * 4 / 3)) + 8 + 2 * kMargin);
    };
    const auto printed = surfaceFor();
    ASSERT_TRUE(printed->ready());
    print(instance, printed->dc(), c.text.c_str(), 2.0f, 2.0f, 0.0f, 0.0f, 1.0f, kMargin - 2.0f, kMargin - 2.0f);
    keep(*printed, "dpi600-print", c);

    // paint at 96/72, the scale that makes host units the device's pixels. Host units are whole
    // numbers, so the symbol may come out a pixel smaller: modules two pixels wide, as the header
    // advises, keep it readable.
    setAttr(instance, u"PDF417_XSCALE", u"2");
    const auto painted = surfaceFor();
    ASSERT_TRUE(painted->ready());
    const float scale = 96.0f / 72.0f;
    paint(instance, painted->dc(), c.text.c_str(), kMargin / scale, kMargin / scale, 0.0f, 0.0f, scale);
    keep(*painted, "dpi600-paint", c);
    DeleteInstance(instance);
  }
}

}  // namespace
