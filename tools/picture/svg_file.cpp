// SPDX-License-Identifier: Apache-2.0
#include <cinttypes>

#include "picture_file.h"

namespace torv::tools {

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
               "<rect width=\"%lld\" height=\"%lld\" fill=\"#fff\"/>\n<g fill=\"#000\">\n",
               width, height, width, height);
  const ModuleMatrix& matrix = picture.matrix;
  for (int row = 0; row < matrix.rows && std::ferror(out) == 0; ++row) {
    const int y = layout.quiet + layout.rowStarts[row];
    const int rowHeight = layout.rowStarts[row + 1] - layout.rowStarts[row];
    if (rowHeight == 0) continue;
    for (int column = 0; column < matrix.columns;) {
      if (!matrix.isDark(column, row)) {
        ++column;
        continue;
      }
      const int first = column;
      while (column < matrix.columns && matrix.isDark(column, row)) ++column;
      const int x = layout.quiet + layout.columnStarts[first];
      const int runWidth = layout.columnStarts[column] - layout.columnStarts[first];
      if (runWidth > 0)
        std::fprintf(out, "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"/>\n", x, y, runWidth, rowHeight);
    }
  }
  std::fprintf(out, "</g>\n</svg>\n");
  (void)name;
}

}  // namespace torv::tools
