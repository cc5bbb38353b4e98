// SPDX-License-Identifier: Apache-2.0
// The picture object of this port: a bitmap loaded from a memory block, measured in HIMETRIC
// (hundredths of a millimetre) and rendered, scaled, into a device context.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <utility>

#include "platform/bitmap_file.h"
#include "platform/device_context.h"

namespace torv::platform {

class Picture {
 public:
  // The picture in the block, or null when the block holds no bitmap this loader accepts
  // (see decodeBitmapFile). The block is only read during the call.
  static std::unique_ptr<Picture> load(const unsigned char* block, std::size_t size);

  // The same for a block that the picture takes over (its first size bytes are the file), so a
  // picture that is only measured costs no copy. Checks every header at once; the pixels are
  // decoded when first drawn or inspected.
  static std::unique_ptr<Picture> load(std::unique_ptr<unsigned char[]> block, std::size_t size);

  // The picture of these pixels, as load() gives it for a bitmap file of them (rows top first,
  // a multiple of 4 bytes apart), or null when load() would give none or memory runs out. The
  // pixels are taken over as they are: where the platform's loader reads only files (Windows),
  // the file is made for it here and nowhere else.
  static std::unique_ptr<Picture> fromPixels(MonochromeBitmap bitmap);

  // The HIMETRIC size that load() gives a bitmap of these pixels, where it follows from the pixels
  // alone (a size of 0 or less: load() gives no picture); nothing where only loading tells.
  static std::optional<std::pair<int, int>> sizeOfPixels(int width, int height);

  // Size in HIMETRIC. The bitmap carries no resolution that counts: like the platform's loader,
  // a pixel is taken at 96 per inch, so the size is MulDiv(pixels, 2540, 96).
  int widthHimetric() const { return widthHimetric_; }
  int heightHimetric() const { return heightHimetric_; }

  // Draws the source rectangle (HIMETRIC, y measured upward from the bottom edge, so a source of
  // (0, H, W, -H) stands the picture upright) into the device rectangle (x, y, cx, cy), nearest
  // neighbour, clipped to the surface, every pixel opaque. Nothing is drawn without a surface,
  // with an empty rectangle or with an empty source.
  void render(DeviceContext dc, int x, int y, int cx, int cy, int sourceX, int sourceY, int sourceWidth,
              int sourceHeight) const;

  // The decoded bitmap (an empty one if memory ran out decoding it).
  const MonochromeBitmap& bitmap() const;

 private:
  Picture(MonochromeBitmap bitmap, int widthHimetric, int heightHimetric);
  Picture(std::unique_ptr<unsigned char[]> file, const BitmapFileLayout& layout, int widthHimetric, int heightHimetric);
  // The picture of a file that readBitmapFileHeaders accepted with this layout.
  static std::unique_ptr<Picture> fromCheckedFile(std::unique_ptr<unsigned char[]> file,
                                                  const BitmapFileLayout& layout);

  // The file image and its checked layout until the pixels are decoded, then the bitmap alone.
  mutable std::unique_ptr<unsigned char[]> file_;
  BitmapFileLayout layout_;
  mutable std::optional<MonochromeBitmap> bitmap_;
  int widthHimetric_;
  int heightHimetric_;

  // The platform's own picture object, where the platform has one (Windows: IPicture).
  struct PlatformObject;
  std::shared_ptr<PlatformObject> platformObject_;
#if defined(_WIN32)
  // Loads the file image of `size` bytes that write(memory, source) puts into the loader's memory
  // and gives the picture the loaded object and its size; false when the loader refuses it.
  bool loadPlatformObject(std::size_t size, void (*write)(unsigned char* memory, const void* source),
                          const void* source);
#endif
};

}  // namespace torv::platform
