// SPDX-License-Identifier: Apache-2.0
// The picture loader on any bytes; a picture that loads is measured and rendered into a small
// surface with source and device rectangles chosen by the input, never touching the row padding.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_input.h"
#include "platform/picture.h"

namespace {

using torv::fuzz::FuzzInput;

constexpr unsigned char kUntouched = 0x5A;

int coordinate(FuzzInput& input) {
  const std::uint8_t choice = input.byte();
  if (choice < 192) return static_cast<int>(choice % 64) - 16;
  if (choice < 224) return static_cast<int>(input.u16()) - 32768;
  return input.interestingInt();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  // Front: the surface and the rectangles; the rest is the picture's memory block.
  TorvDeviceContext dc{};
  dc.dpiX = dc.dpiY = 96;
  dc.width = input.byte() % 40;
  dc.height = input.byte() % 40;
  const int padding = input.byte() % 8;
  dc.stride = 4 * dc.width + padding;
  int rect[8];
  for (int& v : rect) v = coordinate(input);
  const bool himetricSource = input.flag();
  const std::vector<std::uint8_t> block = input.rest();

  const auto picture = torv::platform::Picture::load(block.empty() ? nullptr : block.data(), block.size());
  if (!picture) return 0;
  const auto& bitmap = picture->bitmap();
  FUZZ_CHECK(bitmap.width > 0 && bitmap.height > 0);
  FUZZ_CHECK(bitmap.rows.size() >= bitmap.stride * static_cast<std::size_t>(bitmap.height));
  FUZZ_CHECK(picture->widthHimetric() >= 0 && picture->heightHimetric() >= 0);

  std::vector<unsigned char> memory(static_cast<std::size_t>(dc.stride) * static_cast<std::size_t>(dc.height),
                                    kUntouched);
  dc.pixels = memory.empty() ? nullptr : memory.data();
  if (himetricSource) {
    // The whole picture, upright, as the component draws it.
    picture->render(&dc, rect[0], rect[1], rect[2], rect[3], 0, picture->heightHimetric(), picture->widthHimetric(),
                    -picture->heightHimetric());
  } else {
    picture->render(&dc, rect[0], rect[1], rect[2], rect[3], rect[4], rect[5], rect[6], rect[7]);
  }
  for (int y = 0; y < dc.height; ++y) {
    for (int i = 0; i < padding; ++i) {
      FUZZ_CHECK(memory[static_cast<std::size_t>(y) * dc.stride + 4 * dc.width + i] == kUntouched);
    }
  }
  return 0;
}
