// SPDX-License-Identifier: Apache-2.0
// Turns an instance's attributes and a data text into a picture of the PDF417 symbol.
#pragma once

#include <memory>
#include <string>

#include "component/torv_pdf417_comp.h"
#include "pdf417/encoder.h"
#include "platform/picture.h"

namespace torv::component {

// The encoder's options that the five attributes (ECCLEVEL, ROWS, COLUMNS, XSCALE, YSCALE) give.
// Each attribute counts by its low 16 bits; a value the encoder refuses keeps its fallback: an
// automatic level, 58 rows of 16 columns, a 3:1 row height. Rows and columns both 0 leave the
// bounded sizing at the 1:2 aspect. XSCALE is the module width; above 20 no writer is taken.
struct EncoderSettings {
  pdf417::Pdf417Options options;
  pdf417::BitmapOptions bitmap;  // not installed: the module width was refused
};
EncoderSettings optionsFor(const TorvPdf417Comp& instance);

// The data text in the ANSI code page without its terminator (null counts as empty), or
// nothing when the conversion fails.
std::optional<std::string> dataBytes(const char16_t* text);

// The row height ratio text "%d:%d" of (XSCALE + YSCALE - 1) and XSCALE, in 32-bit arithmetic.
std::string rowHeightRatioText(std::int32_t xScale, std::int32_t yScale);

// Runs an encoder of the call's own over the data with the instance's settings and loads the
// bitmap it writes; the instance is only read, so any number of calls may run at once. Null when
// there is no picture: the data does not fit, the module width is refused, memory runs out or the
// bitmap is not accepted. The bitmap goes into a block of the exact size the layout gives.
std::unique_ptr<platform::Picture> makeSymbolPicture(const TorvPdf417Comp& instance, const char16_t* text);

// The HIMETRIC size of the picture that makeSymbolPicture gives, or nothing when it gives none.
// Where the size follows from the bitmap's pixels alone, the bitmap is laid out but not drawn.
struct PictureSize {
  int widthHimetric, heightHimetric;
};
std::optional<PictureSize> symbolPictureSize(const TorvPdf417Comp& instance, const char16_t* text);

}  // namespace torv::component
