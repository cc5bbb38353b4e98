// SPDX-License-Identifier: Apache-2.0
// Pictures painted by the Windows builds (64- and 32-bit) under Wine (win_host_tests and
// win_print_tests keep them as BMP files): against the same symbols painted by this build at the
// same size, identical pixels; and, also through the print paths, readable by an independent
// reader (zxing-cpp).
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "component/symbol_picture.h"
#include "component/torv_pdf417_comp.h"
#include "paint_cases.h"
#include "painted_image.h"
#include "test_surface.h"
#include "torvc_pdf417.h"
#include "zxing_decode.h"

namespace torv::test {

// Test names and failure messages show the case by its name.
void PrintTo(const PaintCase& c, std::ostream* out) { *out << c.name; }

}  // namespace torv::test

namespace {

using torv::test::PaintCase;
using torv::test::PaintedImage;
using torv::test::TestSurface;

const char* const kArchitectures[] = {"x86_64", "i686"};

std::string windowsBuildDir() {
  const char* root = std::getenv("TORV_WINDOWS_BUILD_DIR");
  return root != nullptr ? root : TORV_WINDOWS_BUILD_DIR;
}

std::string paintedPath(const std::string& architecture, const std::string& stem) {
  return windowsBuildDir() + "/" + architecture + "/painted/" + stem + ".bmp";
}

// Why the Windows build of this architecture ran no tests (scripts/build-windows.sh writes it
// where the kernel runs no 32-bit programs), or nothing when it ran them.
std::string testsNotRunReason(const std::string& architecture) {
  std::ifstream file(windowsBuildDir() + "/" + architecture + "/TESTS-NOT-RUN");
  std::string reason;
  if (file) std::getline(file, reason);
  return reason;
}

bool i686Required() {
  const char* required = std::getenv("TORV_REQUIRE_I686");
  return required != nullptr && std::string(required) == "1";
}

// The picture, or why there is none: a skip that says so where the build could not run its
// tests, a failure under CI, which builds the Windows DLLs first (scripts/build-windows.sh), a
// skip elsewhere.
#define TORV_READ_WINDOWS_PICTURE(image, architecture, path)                                             \
  if (const std::string notRun = testsNotRunReason(architecture); !notRun.empty()) {                     \
    if (i686Required()) FAIL() << "TORV_REQUIRE_I686=1, but " << notRun;                                 \
    GTEST_SKIP() << notRun;                                                                              \
  }                                                                                                      \
  if (!std::ifstream(path).good()) {                                                                     \
    if (std::getenv("CI") != nullptr) FAIL() << "no picture from the Windows build: " << path;           \
    GTEST_SKIP() << "no picture from the Windows build (scripts/build-windows.sh makes them): " << path; \
  }                                                                                                      \
  const auto image = torv::test::readPaintedImage(path);                                                 \
  ASSERT_TRUE(image) << path

TorvPdf417Comp* instanceFor(const PaintCase& c) {
  TorvPdf417Comp* instance = GetNewInstance();
  applyAttributes(c, instance, setAttr);
  return instance;
}

// The bitmap's pixel size, from the encoder with the component's own settings.
std::pair<int, int> bitmapSize(const PaintCase& c) {
  TorvPdf417Comp instance;
  instance.rows = c.rows;
  instance.columns = c.columns;
  instance.eccLevel = c.ecc;
  instance.xScale = c.xScale;
  instance.yScale = c.yScale;
  const auto picture = torv::component::makeSymbolPicture(instance, c.text.c_str());
  return picture ? std::make_pair(picture->bitmap().width, picture->bitmap().height) : std::make_pair(0, 0);
}

class WindowsPaint : public ::testing::TestWithParam<std::tuple<const char*, PaintCase>> {};

TEST_P(WindowsPaint, SamePixelsAsThisBuildAndReadable) {
  const auto& [architecture, c] = GetParam();
  const std::string path = paintedPath(architecture, c.name);
  TORV_READ_WINDOWS_PICTURE(windows, architecture, path);
  const auto [bitmapWidth, bitmapHeight] = bitmapSize(c);
  ASSERT_GT(bitmapWidth, 0);
  TorvPdf417Comp* instance = instanceFor(c);
  TestSurface measure(1, 1, 96);
  float naturalWidth = 0, naturalHeight = 0;
  getAutosize(instance, measure.context(), c.text.c_str(), &naturalWidth, &naturalHeight);
  const auto exact = torv::test::exactPaint(bitmapWidth, bitmapHeight, static_cast<int>(naturalWidth),
                                            static_cast<int>(naturalHeight));
  ASSERT_TRUE(exact);
  ASSERT_EQ(windows->width, exact->multiple * bitmapWidth);
  ASSERT_EQ(windows->height, exact->multiple * bitmapHeight);

  TestSurface surface(windows->width, windows->height, 96);
  paint(instance, surface.context(), c.text.c_str(), 0.0f, 0.0f, 0.0f, 0.0f, exact->scale);
  DeleteInstance(instance);
  int differing = 0;
  for (int y = 0; y < windows->height; ++y) {
    for (int x = 0; x < windows->width; ++x) {
      const unsigned char* here = surface.pixel(x, y);
      const std::uint8_t* there = windows->pixel(x, y);
      differing += here[0] != there[0] || here[1] != there[1] || here[2] != there[2];
    }
  }
  EXPECT_EQ(differing, 0) << "of " << windows->width * windows->height << " pixels at " << exact->multiple << " times";

  const std::vector<std::uint8_t> gray = windows->gray();
  std::string why;
  const auto bytes = torv::test::decodePdf417(windows->width, windows->height, gray.data(), 0, {}, why);
  ASSERT_TRUE(bytes) << why;
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), c.bytes);
}

std::string caseName(std::string name) {
  for (char& ch : name) ch = ch == '-' || ch == '.' ? '_' : ch;
  return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowsPaint,
                         ::testing::Combine(::testing::ValuesIn(kArchitectures),
                                            ::testing::ValuesIn(torv::test::paintCases())),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param)) + "_" + caseName(std::get<1>(info.param).name);
                         });

// A metafile played back at printer scale and a 600-dpi surface: modules 6 or 7 pixels wide.
class WindowsPrint : public ::testing::TestWithParam<std::tuple<const char*, std::string, PaintCase>> {};

TEST_P(WindowsPrint, Readable) {
  const auto& [architecture, printPath, c] = GetParam();
  const std::string path = paintedPath(architecture, printPath + "-" + c.name);
  TORV_READ_WINDOWS_PICTURE(windows, architecture, path);
  const std::vector<std::uint8_t> gray = windows->gray();
  std::string why;
  const auto bytes = torv::test::decodePdf417(windows->width, windows->height, gray.data(), 0, {}, why);
  ASSERT_TRUE(bytes) << why;
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowsPrint,
                         ::testing::Combine(::testing::ValuesIn(kArchitectures),
                                            ::testing::ValuesIn(torv::test::printPaths()),
                                            ::testing::ValuesIn(torv::test::printCases())),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param)) + "_" + caseName(std::get<1>(info.param)) + "_" +
                                  caseName(std::get<2>(info.param).name);
                         });

}  // namespace
