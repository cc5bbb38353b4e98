// SPDX-License-Identifier: Apache-2.0
// EPS and PDF: the symbol's dark runs as filled rectangles in device pixels, scaled to points so
// that the picture has the size in mm that the SVG gives, on a background of the space colour.
#include <zlib.h>

#include <cmath>
#include <string>
#include <vector>

#include "picture_file.h"

namespace torv::tools {
namespace {

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", value);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

// The colour operands: a grey when the channels agree, else red green blue, each 0..1.
std::string colourOperands(Colour c, const char* grey, const char* rgb) {
  if (c.red == c.green && c.green == c.blue) return number(c.red / 255.0) + " " + grey;
  return number(c.red / 255.0) + " " + number(c.green / 255.0) + " " + number(c.blue / 255.0) + " " + rgb;
}

// The drawing in pixel units with the origin at the bottom left, as both formats have it: the
// background, then every dark run. `fill` (when not empty) ends the background and each row's
// rectangles.
std::string drawing(const Picture& picture, const char* grey, const char* rgb, const char* rectangle,
                    const char* fill) {
  const DeviceLayout& layout = picture.layout;
  const long long height = layout.height();
  std::string out = colourOperands(picture.space, grey, rgb) + "\n0 0 " + std::to_string(layout.width()) + " " +
                    std::to_string(height) + " " + rectangle + "\n";
  if (fill[0] != '\0') out += std::string(fill) + "\n";
  out += colourOperands(picture.bars, grey, rgb) + "\n";
  for (int row = 0; row < picture.matrix.rows; ++row) {
    const int rowHeight = layout.rowStarts[row + 1] - layout.rowStarts[row];
    const long long y = height - layout.quiet - layout.rowStarts[row + 1];
    bool any = false;
    forEachDarkRun(picture, row, [&](DarkRun run) {
      out += std::to_string(run.x) + " " + std::to_string(y) + " " + std::to_string(run.width) + " " +
             std::to_string(rowHeight) + " " + rectangle + "\n";
      any = true;
    });
    if (any && fill[0] != '\0') out += std::string(fill) + "\n";
  }
  return out;
}

void put(std::FILE* out, const std::string& text, const std::string& name) {
  if (std::fwrite(text.data(), 1, text.size(), out) != text.size()) throw PictureFileError("cannot write " + name);
}

}  // namespace

// Encapsulated PostScript (level 2, for rectfill): one page, its bounding box the picture.
void writeEps(const Picture& picture, std::FILE* out, const std::string& name) {
  const double scale = pointsPerPixel(picture);
  const double width = picture.layout.width() * scale, height = picture.layout.height() * scale;
  std::string head = "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: pdf417-encode\n%%BoundingBox: 0 0 " +
                     std::to_string(static_cast<long long>(std::ceil(width - 1e-9))) + " " +
                     std::to_string(static_cast<long long>(std::ceil(height - 1e-9))) + "\n%%HiResBoundingBox: 0 0 " +
                     number(width) + " " + number(height) +
                     "\n%%LanguageLevel: 2\n%%Pages: 1\n%%EndComments\n%%Page: 1 1\n"
                     "save\n/R { rectfill } bind def\n" +
                     number(scale) + " " + number(scale) + " scale\n";
  put(out, head, name);
  put(out, drawing(picture, "setgray", "setrgbcolor", "R", ""), name);
  put(out, "restore\nshowpage\n%%Trailer\n%%EOF\n", name);
}

// PDF 1.4: one page the size of the picture, its drawing one compressed content stream.
void writePdf(const Picture& picture, std::FILE* out, const std::string& name) {
  const double scale = pointsPerPixel(picture);
  const std::string content =
      "q\n" + number(scale) + " 0 0 " + number(scale) + " 0 0 cm\n" + drawing(picture, "g", "rg", "re", "f") + "Q\n";
  const std::string& page = content;

  uLongf packedSize = compressBound(static_cast<uLong>(page.size()));
  std::vector<std::uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(page.data()),
                static_cast<uLong>(page.size()), Z_BEST_COMPRESSION) != Z_OK) {
    throw PictureFileError("cannot write " + name + " as PDF");
  }

  std::string file = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<std::size_t> offsets;
  const auto object = [&](const std::string& body) {
    offsets.push_back(file.size());
    file += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
  };
  object("<< /Type /Catalog /Pages 2 0 R >>");
  object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + number(picture.layout.width() * scale) + " " +
         number(picture.layout.height() * scale) + "] /Resources << >> /Contents 4 0 R >>");
  object("<< /Length " + std::to_string(packedSize) + " /Filter /FlateDecode >>\nstream\n" +
         std::string(reinterpret_cast<const char*>(packed.data()), packedSize) + "\nendstream");
  const std::size_t xref = file.size();
  file += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) {
    char entry[24];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
    file += entry;
  }
  file += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
          std::to_string(xref) + "\n%%EOF\n";
  put(out, file, name);
}

}  // namespace torv::tools
