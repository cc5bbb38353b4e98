// SPDX-License-Identifier: Apache-2.0
// The picture object on Windows: the block is copied into movable global memory, wrapped in a
// memory stream that frees it, and loaded by OleLoadPicture; IPicture reports the size in
// HIMETRIC and renders into the device context.
#include <olectl.h>
#include <windows.h>

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

// A memory stream over a movable global copy of the block; the stream owns the memory.
IStream* streamOverCopy(const unsigned char* block, std::size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr) return nullptr;
  void* locked = GlobalLock(memory);
  if (locked == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(locked, block, size);
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream)) || stream == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  return stream;
}

}  // namespace

Picture::Picture(MonochromeBitmap bitmap, int widthHimetric, int heightHimetric)
    : bitmap_(std::move(bitmap)), widthHimetric_(widthHimetric), heightHimetric_(heightHimetric) {}

// The loader sizes a bitmap by the display's resolution, which only it knows.
std::optional<std::pair<int, int>> Picture::sizeOfPixels(int, int) { return std::nullopt; }

std::unique_ptr<Picture> Picture::load(const unsigned char* block, std::size_t size) {
  if (block == nullptr || size == 0 || size > 0x7FFFFFFF) return nullptr;
  IStream* stream = streamOverCopy(block, size);
  if (stream == nullptr) return nullptr;
  IPicture* loaded = nullptr;
  const HRESULT result =
      OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture, reinterpret_cast<void**>(&loaded));
  stream->Release();  // the picture keeps what it needs; the global memory goes with the stream
  if (FAILED(result) || loaded == nullptr) return nullptr;

  std::shared_ptr<PlatformObject> object;
  try {
    object = std::make_shared<PlatformObject>(loaded);
  } catch (const std::bad_alloc&) {
    loaded->Release();
    return nullptr;
  }
  OLE_XSIZE_HIMETRIC width = 0;
  OLE_YSIZE_HIMETRIC height = 0;
  if (FAILED(loaded->get_Width(&width)) || FAILED(loaded->get_Height(&height)) || width <= 0 || height <= 0) {
    return nullptr;
  }
  // The bitmap itself, for callers that inspect it; the platform object is what draws.
  std::optional<MonochromeBitmap> bitmap = decodeBitmapFile(block, size);
  std::unique_ptr<Picture> picture(new (std::nothrow) Picture(bitmap ? std::move(*bitmap) : MonochromeBitmap{},
                                                              static_cast<int>(width), static_cast<int>(height)));
  if (picture) picture->platformObject_ = std::move(object);
  return picture;
}

std::unique_ptr<Picture> Picture::load(std::unique_ptr<unsigned char[]> block, std::size_t size) {
  return load(block.get(), size);  // OleLoadPicture reads its own copy in global memory
}

void Picture::render(DeviceContext dc, int x, int y, int cx, int cy, int sourceX, int sourceY, int sourceWidth,
                     int sourceHeight) const {
  if (dc == nullptr || !platformObject_ || cx == 0 || cy == 0 || sourceWidth == 0 || sourceHeight == 0) return;
  const RECT bounds{0, 0, cx, cy};
  platformObject_->picture->Render(dc, x, y, cx, cy, sourceX, sourceY, sourceWidth, sourceHeight, &bounds);
}

}  // namespace torv::platform
