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

// Encodes the data with the instance's settings into an encoder of the caller's and lays the
// symbol out: false when nothing can be drawn (the data does not fit, the module width is refused).
// The instance is only read, so any number of calls may run at once on encoders of their own.
bool layOutSymbol(const TorvPdf417Comp& instance, const char16_t* text, pdf417::Encoder& encoder);

// The picture of the symbol that layOutSymbol laid out, drawn from its packed pixel rows; null when
// there is none (memory runs out, the picture is not accepted).
std::unique_ptr<platform::Picture> pictureOf(const pdf417::Encoder& encoder);

// The HIMETRIC size of that picture, or nothing when there is none. Where the size follows from
// the pixels alone, they are never drawn.
struct PictureSize {
  int widthHimetric, heightHimetric;
};
std::optional<PictureSize> pictureSizeOf(const pdf417::Encoder& encoder);

// The two steps in one, on an encoder of the call's own: the picture, or null when there is none
// (also when memory runs out).
std::unique_ptr<platform::Picture> makeSymbolPicture(const TorvPdf417Comp& instance, const char16_t* text);

// The HIMETRIC size of the picture that makeSymbolPicture gives, or nothing when it gives none.
std::optional<PictureSize> symbolPictureSize(const TorvPdf417Comp& instance, const char16_t* text);

}  // namespace torv::component
