// SPDX-License-Identifier: Apache-2.0
#include <charconv>
#include <cinttypes>
#include <string>

#include "picture_file.h"

namespace torv::tools {
namespace {

// Black and white as the short forms they always were; other colours as #rrggbb.
std::string svgColour(Colour c) {
  if (c == kBlack) return "#000";
  if (c == kWhite) return "#fff";
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
  return text;
}

// The decimal digits of value, as "%d" writes them.
std::string& appendInt(std::string& text, int value) {
  char digits[12];
  return text.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

}  // namespace

// Every run of dark modules in a symbol row becomes one rectangle in device pixels.
void writeSvg(const Picture& picture, std::FILE* out, const std::string& name) {
  const DeviceLayout& layout = picture.layout;
  const long long width = layout.width();
  const long long height = layout.height();
  std::fprintf(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" ");
  if (picture.physicalSize) {
    std::fprintf(out, "width=\"%.3fmm\" height=\"%.3fmm\" ", width * 25.4 / picture.dpi, height * 25.4 / picture.dpi);
  } else {
    std::fprintf(out, "width=\"%lld\" height=\"%lld\" ", width, height);
  }
  std::fprintf(out,
               "viewBox=\"0 0 %lld %lld\" shape-rendering=\"crispEdges\">\n"
               "<rect width=\"%lld\" height=\"%lld\" fill=\"%s\"/>\n<g fill=\"%s\">\n",
               width, height, width, height, svgColour(picture.space).c_str(), svgColour(picture.bars).c_str());
  // A row's rectangles are put together in memory and written at once: formatting each through
  // fprintf cost more than everything else the pdf417 command does for a picture.
  std::string rects;
  for (int row = 0; row < picture.matrix.rows && std::ferror(out) == 0; ++row) {
    const int y = layout.quiet + layout.rowStarts[row];
    const int rowHeight = layout.rowStarts[row + 1] - layout.rowStarts[row];
    rects.clear();
    forEachDarkRun(picture, row, [&](DarkRun run) {
      appendInt(rects.append("<rect x=\""), run.x);
      appendInt(rects.append("\" y=\""), y);
      appendInt(rects.append("\" width=\""), run.width);
      appendInt(rects.append("\" height=\""), rowHeight);
      rects.append("\"/>\n");
    });
    std::fwrite(rects.data(), 1, rects.size(), out);
  }
  std::fprintf(out, "</g>\n</svg>\n");
  (void)name;
}

}  // namespace torv::tools
