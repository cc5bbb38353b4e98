// SPDX-License-Identifier: Apache-2.0
// The picture object on Windows: the file image is written into movable global memory, wrapped in
// a memory stream that frees it, and loaded by OleLoadPicture; IPicture reports the size in
// HIMETRIC and renders into the device context. Pixels given as rows become a file only here.
#include <olectl.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include <ole2.h>

#include "platform/picture.h"

namespace torv::platform {

struct Picture::PlatformObject {
  explicit PlatformObject(IPicture* loaded) : picture(loaded) {}
  ~PlatformObject() { picture->Release(); }
  PlatformObject(const PlatformObject&) = delete;
  PlatformObject& operator=(const PlatformObject&) = delete;

  IPicture* picture;
};

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoAndColoursSize = 48;

// A memory stream over movable global memory of `size` bytes that write() fills; the stream owns
// the memory.
IStream* streamOver(std::size_t size, void (*write)(unsigned char*, const void*), const void* source) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr) return nullptr;
  void* locked = GlobalLock(memory);
  if (locked == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  write(static_cast<unsigned char*>(locked), source);
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream)) || stream == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  return stream;
}

void putLe16(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void putLe32(unsigned char* p, std::uint32_t v) {
  putLe16(p, v);
  putLe16(p + 2, v >> 16);
}

struct Block {
  const unsigned char* data;
  std::size_t size;
};

// The one-bit BMP file of the bitmap: file header, information header, two colours, pixel rows
// bottom-up.
void writeBitmapFile(unsigned char* out, const void* source) {
  const auto& bitmap = *static_cast<const MonochromeBitmap*>(source);
  const auto imageSize = static_cast<std::uint32_t>(bitmap.stride * static_cast<std::size_t>(bitmap.height));
  std::memset(out, 0, kFileHeaderSize + kInfoAndColoursSize);
  out[0] = 'B';
  out[1] = 'M';
  putLe32(out + 2, static_cast<std::uint32_t>(kFileHeaderSize + kInfoAndColoursSize) + imageSize);
  putLe32(out + 10, static_cast<std::uint32_t>(kFileHeaderSize + kInfoAndColoursSize));
  unsigned char* info = out + kFileHeaderSize;
  putLe32(info + 0, 40);
  putLe32(info + 4, static_cast<std::uint32_t>(bitmap.width));
  putLe32(info + 8, static_cast<std::uint32_t>(bitmap.height));  // positive: rows are stored bottom-up
  putLe16(info + 12, 1);
  putLe16(info + 14, 1);
  putLe32(info + 20, imageSize);
  putLe32(info + 36, 2);  // colours important; colours used 0 means both
  for (std::size_t i = 0; i < 2; ++i) {
    info[40 + 4 * i] = bitmap.palette[i].blue;
    info[41 + 4 * i] = bitmap.palette[i].green;
    info[42 + 4 * i] = bitmap.palette[i].red;
  }
  unsigned char* pixels = out + kFileHeaderSize + kInfoAndColoursSize;
  for (int y = bitmap.height; y-- > 0; pixels += bitmap.stride) std::memcpy(pixels, bitmap.row(y), bitmap.stride);
}

void copyBlock(unsigned char* out, const void* source) {
  const auto& block = *static_cast<const Block*>(source);
  std::memcpy(out, block.data, block.size);
}

}  // namespace

Picture::Picture(MonochromeBitmap bitmap, int widthHimetric, int heightHimetric)
    : bitmap_(std::move(bitmap)), widthHimetric_(widthHimetric), heightHimetric_(heightHimetric) {}

// The loader sizes a bitmap by the display's resolution, which only it knows.
std::optional<std::pair<int, int>> Picture::sizeOfPixels(int, int) { return std::nullopt; }

bool Picture::loadPlatformObject(std::size_t size, void (*write)(unsigned char*, const void*), const void* source) {
  IStream* stream = streamOver(size, write, source);
  if (stream == nullptr) return false;
  IPicture* loaded = nullptr;
  const HRESULT result =
      OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture, reinterpret_cast<void**>(&loaded));
  stream->Release();  // the picture keeps what it needs; the global memory goes with the stream
  if (FAILED(result) || loaded == nullptr) return false;
  try {
    platformObject_ = std::make_shared<PlatformObject>(loaded);
  } catch (const std::bad_alloc&) {
    loaded->Release();
    return false;
  }
  OLE_XSIZE_HIMETRIC width = 0;
  OLE_YSIZE_HIMETRIC height = 0;
  if (FAILED(loaded->get_Width(&width)) || FAILED(loaded->get_Height(&height)) || width <= 0 || height <= 0) {
    return false;
  }
  widthHimetric_ = static_cast<int>(width);
  heightHimetric_ = static_cast<int>(height);
  return true;
}

std::unique_ptr<Picture> Picture::fromPixels(MonochromeBitmap bitmap) {
  if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.stride == 0 ||
      bitmap.rows.size() != bitmap.stride * static_cast<std::size_t>(bitmap.height) ||
      bitmap.rows.size() > 0x7FFFFFFF - kFileHeaderSize - kInfoAndColoursSize) {
    return nullptr;
  }
  const std::size_t size = kFileHeaderSize + kInfoAndColoursSize + bitmap.rows.size();
  // The rows stay as they are: whoever inspects the picture reads them without a decode.
  std::unique_ptr<Picture> picture(new (std::nothrow) Picture(std::move(bitmap), 0, 0));
  if (!picture || !picture->loadPlatformObject(size, writeBitmapFile, &*picture->bitmap_)) return nullptr;
  return picture;
}

std::unique_ptr<Picture> Picture::load(const unsigned char* block, std::size_t size) {
  if (block == nullptr || size == 0 || size > 0x7FFFFFFF) return nullptr;
  // Pixels are decoded only when something inspects them, from a copy of the file up to their end.
  std::unique_ptr<Picture> picture;
  if (const std::optional<BitmapFileLayout> layout = readBitmapFileHeaders(block, size)) {
    const std::size_t used = layout->pixelOffset + layout->stride * static_cast<std::size_t>(layout->height);
    std::unique_ptr<unsigned char[]> copy(new (std::nothrow) unsigned char[used]);
    if (!copy) return nullptr;
    std::memcpy(copy.get(), block, used);
    picture.reset(new (std::nothrow) Picture(std::move(copy), *layout, 0, 0));
  } else {
    picture.reset(new (std::nothrow) Picture(MonochromeBitmap{}, 0, 0));  // a file only the platform reads
  }
  const Block source{block, size};
  if (!picture || !picture->loadPlatformObject(size, copyBlock, &source)) return nullptr;
  return picture;
}

std::unique_ptr<Picture> Picture::load(std::unique_ptr<unsigned char[]> block, std::size_t size) {
  if (!block || size == 0 || size > 0x7FFFFFFF) return nullptr;
  const std::optional<BitmapFileLayout> layout = readBitmapFileHeaders(block.get(), size);
  if (!layout) return load(block.get(), size);
  // The picture keeps the block for a later decode; OleLoadPicture reads its own copy.
  const Block source{block.get(), size};
  std::unique_ptr<Picture> picture(new (std::nothrow) Picture(std::move(block), *layout, 0, 0));
  if (!picture || !picture->loadPlatformObject(size, copyBlock, &source)) return nullptr;
  return picture;
}

void Picture::render(DeviceContext dc, int x, int y, int cx, int cy, int sourceX, int sourceY, int sourceWidth,
                     int sourceHeight) const {
  if (dc == nullptr || !platformObject_ || cx == 0 || cy == 0 || sourceWidth == 0 || sourceHeight == 0) return;
  const RECT bounds{0, 0, cx, cy};
  platformObject_->picture->Render(dc, x, y, cx, cy, sourceX, sourceY, sourceWidth, sourceHeight, &bounds);
}

}  // namespace torv::platform
