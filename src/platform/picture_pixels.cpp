// SPDX-License-Identifier: Apache-2.0
// The picture's bitmap, decoded only when something draws or inspects it: a picture that is only
// measured never pays for its pixels.
#include <utility>

#include "platform/picture.h"

namespace torv::platform {

Picture::Picture(std::unique_ptr<unsigned char[]> file, const BitmapFileLayout& layout, int widthHimetric,
                 int heightHimetric)
    : file_(std::move(file)), layout_(layout), widthHimetric_(widthHimetric), heightHimetric_(heightHimetric) {}

const MonochromeBitmap& Picture::bitmap() const {
  if (!bitmap_) {
    std::optional<MonochromeBitmap> decoded = file_ ? decodeBitmapPixels(file_.get(), layout_) : std::nullopt;
    bitmap_ = decoded ? std::move(*decoded) : MonochromeBitmap{};
    file_.reset();
  }
  return *bitmap_;
}

}  // namespace torv::platform
