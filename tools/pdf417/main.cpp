// pdf417: draws a text as a PDF417 barcode with the torvc_pdf417 plug-in, loaded by path as a
// host loads it, and writes the picture as PNG or BMP.
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "image_file.h"
#include "options.h"
#include "plugin.h"
#include "text_input.h"
#include "torv_version.h"

namespace {

using namespace torv::tools;

constexpr long long kMaxSurfacePixels = 256LL * 1024 * 1024;

// The plug-in beside this program: ../lib/ in the build tree, or the same directory.
std::string defaultPluginPath() {
  std::vector<char> self(PATH_MAX + 1, 0);
  const ssize_t length = readlink("/proc/self/exe", self.data(), PATH_MAX);
  std::string directory = length > 0 ? std::string(self.data(), static_cast<std::size_t>(length)) : "";
  directory = directory.substr(0, directory.rfind('/') + 1);
  const std::string inLib = directory + "../lib/libtorvc_pdf417.so";
  if (access(inLib.c_str(), R_OK) == 0) return inLib;
  return directory + "libtorvc_pdf417.so";
}

// Characters of the text, a surrogate pair counting as one.
std::size_t characterCount(const std::u16string& text) {
  std::size_t count = 0;
  for (char16_t unit : text) count += unit < 0xDC00 || unit > 0xDFFF;
  return count;
}

std::string describe(const Options& o) {
  const auto orAuto = [](int value, const char* automatic) {
    return value == 0 ? std::string(automatic) : std::to_string(value);
  };
  return "rows " + orAuto(o.rows, "auto") + ", columns " + orAuto(o.columns, "auto") + ", level " +
         (o.level < 0 ? std::string("auto") : std::to_string(o.level));
}

// A surface that starts untouched; pixels that the plug-in writes are opaque.
struct Surface {
  TorvDeviceContext context{};
  std::vector<unsigned char> pixels;

  Surface(int dpi, int width, int height) {
    context.dpiX = context.dpiY = dpi;
    context.width = width;
    context.height = height;
    context.stride = width * 4;
    pixels.assign(static_cast<std::size_t>(context.stride) * height, 0);
    context.pixels = pixels.data();
  }
  bool drawn(int x, int y) const { return pixels[static_cast<std::size_t>(y) * context.stride + 4 * x + 3] == 255; }
  bool black(int x, int y) const {
    return drawn(x, y) && pixels[static_cast<std::size_t>(y) * context.stride + 4 * x] == 0;
  }
};

GrayImage cropWithQuietZone(const Surface& surface, int quietModules) {
  int left = surface.context.width, top = surface.context.height, right = -1, bottom = -1;
  for (int y = 0; y < surface.context.height; ++y) {
    for (int x = 0; x < surface.context.width; ++x) {
      if (!surface.drawn(x, y)) continue;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  if (right < 0) throw PluginError("the plug-in drew nothing");
  // The start pattern opens every row with a bar 8 modules wide.
  int startBar = 0;
  while (left + startBar <= right && surface.black(left + startBar, top)) ++startBar;
  const int quiet = quietModules * std::max(1, (startBar + 4) / 8);

  GrayImage image;
  image.width = right - left + 1 + 2 * quiet;
  image.height = bottom - top + 1 + 2 * quiet;
  image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 255);
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      if (surface.black(x, y)) {
        image.pixels[static_cast<std::size_t>(y - top + quiet) * image.width + (x - left + quiet)] = 0;
      }
    }
  }
  return image;
}

int run(const Options& o) {
  const std::string bytes = o.text ? *o.text : readDataFile(o.dataFile.value_or("-"));
  const std::u16string text = utf8ToUtf16(bytes);
  if (const int replaced = charactersOutsideCodePage(text); replaced > 0) {
    std::cerr << "pdf417: note: " << replaced << " character(s) are not in Windows-1252 and are drawn as '?'\n";
  }

  const Plugin plugin(o.plugin.empty() ? defaultPluginPath() : o.plugin);
  Component component(plugin);
  component.set(u"PDF417_ROWNUM", o.rows);
  component.set(u"PDF417_COLNUM", o.columns);
  component.set(u"PDF417_ECC", o.level);
  component.set(u"PDF417_XSCALE", o.xScale);
  component.set(u"PDF417_YSCALE", o.yScale);

  TorvDeviceContext measuring{o.dpi, o.dpi, 0, 0, 0, nullptr};
  float width = -1, height = -1;
  plugin.getAutosize(component.get(), &measuring, text.c_str(), &width, &height);
  if (width < 0 || height < 0) {
    std::cerr << "pdf417: the data (" << characterCount(text) << " characters) does not fit a PDF417 symbol with "
              << describe(o) << "; allow more rows or columns, or a lower level\n";
    return 1;
  }
  // Room for the drawing: paint covers the size times scale, print the physical size, which is
  // 96/72 of the size in host units (plus rounding).
  const double factor = o.print ? 96.0 / 72.0 : o.scale;
  const double surfaceWidth = std::ceil(width * factor) + 4;
  const double surfaceHeight = std::ceil(height * factor) + 4;
  if (surfaceWidth * surfaceHeight > static_cast<double>(kMaxSurfacePixels)) {
    std::cerr << "pdf417: the picture would be " << surfaceWidth << " x " << surfaceHeight
              << " pixels, too large; lower --dpi, --scale or the scales\n";
    return 1;
  }
  Surface surface(o.dpi, static_cast<int>(surfaceWidth), static_cast<int>(surfaceHeight));
  if (o.print) {
    plugin.print(component.get(), &surface.context, text.c_str(), 0, 0, 0, 0, 1.0f, 0, 0);
  } else {
    plugin.paint(component.get(), &surface.context, text.c_str(), 0, 0, 0, 0, o.scale);
  }
  const GrayImage image = cropWithQuietZone(surface, o.quietModules);
  writeImageFile(image, o.output, o.format);

  char* absolute = realpath(o.output.c_str(), nullptr);
  std::cout << "pdf417: wrote " << (absolute != nullptr ? absolute : o.output) << " (" << o.format << ", "
            << image.width << " x " << image.height << " pixels, " << characterCount(text) << " characters)\n";
  std::free(absolute);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& e) {
    std::cerr << "pdf417: " << e.what() << "\n"
              << "try 'pdf417 --help'\n";
    return 2;
  }
  if (options.help) {
    std::cout << usageText();
    return 0;
  }
  if (options.version) {
    std::cout << "pdf417 " TORV_VERSION "\n";
    return 0;
  }
  try {
    return run(options);
  } catch (const std::exception& e) {
    std::cerr << "pdf417: " << e.what() << "\n";
    return 1;
  }
}
