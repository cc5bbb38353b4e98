// SPDX-License-Identifier: Apache-2.0
#include <charconv>
#include <cinttypes>
#include <cstring>
#include <string>
#include <vector>

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

// The decimal digits of value, as "%d" writes them, at p, which has room for 11 characters.
char* putInt(char* p, int value) { return std::to_chars(p, p + 11, value).ptr; }

// A text without its terminator at p.
template <std::size_t N>
char* putText(char* p, const char (&text)[N]) {
  std::memcpy(p, text, N - 1);
  return p + (N - 1);
}

// The longest rectangle element: its text and four numbers of at most 11 characters.
constexpr std::size_t kMaxRectChars = sizeof "<rect x=\"\" y=\"\" width=\"\" height=\"\"/>\n" - 1 + 4 * 11;

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
  // fprintf, or appending them to a string piece by piece, cost more than everything else the
  // pdf417 command does for a picture. A row has at most one dark run per two modules.
  std::vector<char> rects((static_cast<std::size_t>(picture.matrix.columns) / 2 + 1) * kMaxRectChars);
  for (int row = 0; row < picture.matrix.rows && std::ferror(out) == 0; ++row) {
    const int y = layout.quiet + layout.rowStarts[row];
    const int rowHeight = layout.rowStarts[row + 1] - layout.rowStarts[row];
    char* end = rects.data();
    forEachDarkRun(picture, row, [&](DarkRun run) {
      end = putInt(putText(end, "<rect x=\""), run.x);
      end = putInt(putText(end, "\" y=\""), y);
      end = putInt(putText(end, "\" width=\""), run.width);
      end = putInt(putText(end, "\" height=\""), rowHeight);
      end = putText(end, "\"/>\n");
    });
    std::fwrite(rects.data(), 1, static_cast<std::size_t>(end - rects.data()), out);
  }
  std::fprintf(out, "</g>\n</svg>\n");
  (void)name;
}

}  // namespace torv::tools
