// SPDX-License-Identifier: Apache-2.0
// The thirteen functions a host calls by name.
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>

#include "component/attribute_text.h"
#include "component/record_refusal.h"
#include "component/saved_record.h"
#include "component/symbol_geometry.h"
#include "component/symbol_picture.h"
#include "component/torv_pdf417_comp.h"
#include "platform/device_context.h"
#include "torvc_pdf417.h"

using torv::component::Attribute;
using torv::component::DeviceRectangle;
using torv::component::findAttribute;
using torv::component::formatAttributeValue;
using torv::component::kAttributeCount;
using torv::component::kSavedRecordSize;
using torv::platform::DeviceContext;
using torv::platform::Picture;

namespace {

// Draws the picture upright into the device rectangle.
void renderUpright(const Picture& picture, DeviceContext dc, const DeviceRectangle& where) {
  const int w = picture.widthHimetric();
  const int h = picture.heightHimetric();
  picture.render(dc, where.x, where.y, where.cx, where.cy, 0, h, w, -h);
}

}  // namespace

extern "C" {

TORVC_PDF417_API TorvPdf417Comp* GetNewInstance(void) { return new (std::nothrow) TorvPdf417Comp(); }

TORVC_PDF417_API TorvPdf417Comp* GetCopyInstance(TorvPdf417Comp* source) {
  if (source == nullptr) return nullptr;
  return new (std::nothrow) TorvPdf417Comp(*source);
}

TORVC_PDF417_API void DeleteInstance(TorvPdf417Comp* instance) { delete instance; }

TORVC_PDF417_API int getAttrListLength(void) { return kAttributeCount; }

TORVC_PDF417_API int getAttrList(TorvPdf417Comp* /*instance*/, const char16_t** names, int n) {
  if (n < 0 || (n > 0 && names == nullptr)) return 0;
  for (int i = 0; i < n && i < kAttributeCount; ++i) {
    names[i] = torv::component::attributeName(static_cast<Attribute>(i));
  }
  return 1;
}

TORVC_PDF417_API int getAttrLength(TorvPdf417Comp* instance, const char16_t* name) {
  const std::optional<Attribute> attribute = findAttribute(name);
  if (!attribute || instance == nullptr) return -1;
  return static_cast<int>(formatAttributeValue(instance->value(*attribute)).size()) + 1;
}

TORVC_PDF417_API int getAttr(TorvPdf417Comp* instance, const char16_t* name, char16_t* buffer, int bufferLength) {
  const std::optional<Attribute> attribute = findAttribute(name);
  if (!attribute || instance == nullptr || buffer == nullptr || bufferLength <= 0) return 0;
  const std::u16string text = formatAttributeValue(instance->value(*attribute));
  if (text.size() > static_cast<std::size_t>(bufferLength) - 1) return 0;
  std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return 1;
}

TORVC_PDF417_API int setAttr(TorvPdf417Comp* instance, const char16_t* name, const char16_t* value) {
  const std::optional<Attribute> attribute = findAttribute(name);
  if (!attribute || instance == nullptr) return 0;
  instance->setValue(*attribute, torv::component::parseAttributeValue(value));
  return 1;
}

TORVC_PDF417_API unsigned char* writeMe(TorvPdf417Comp* instance, int* length) {
  // malloc, so that the host can release the record with free().
  auto* block = instance == nullptr ? nullptr : static_cast<unsigned char*>(std::malloc(kSavedRecordSize));
  if (block != nullptr) {
    const torv::component::SavedRecord record = torv::component::saveRecord(*instance);
    std::memcpy(block, record.data(), record.size());
  }
  if (length != nullptr) *length = block != nullptr ? static_cast<int>(kSavedRecordSize) : 0;
  return block;
}

TORVC_PDF417_API void readMe(TorvPdf417Comp* instance, const unsigned char* data, int length) {
  if (length != static_cast<int>(kSavedRecordSize)) {
    torv::component::refuseRecord(torv::component::RecordRefusal::kWrongLength, length);
    return;
  }
  if (instance == nullptr || data == nullptr) {
    torv::component::refuseRecord(torv::component::RecordRefusal::kNoRecord, length);
    return;
  }
  torv::component::restoreRecord(*instance, data);
}

TORVC_PDF417_API void getAutosize(TorvPdf417Comp* instance, TorvDeviceContext* dc, const char16_t* data, float* width,
                                  float* height) {
  if (instance == nullptr || dc == nullptr) return;
  // Only the size is needed: where it follows from the bitmap's pixels, they are never drawn.
  const auto pictureSize = torv::component::symbolPictureSize(*instance, data);
  if (!pictureSize) return;
  const auto size = torv::component::naturalSize(pictureSize->widthHimetric, pictureSize->heightHimetric,
                                                 torv::platform::deviceDpiX(dc), torv::platform::deviceDpiY(dc));
  if (!size) return;
  if (width != nullptr) *width = static_cast<float>(size->width);
  if (height != nullptr) *height = static_cast<float>(size->height);
}

TORVC_PDF417_API void paint(TorvPdf417Comp* instance, TorvDeviceContext* dc, const char16_t* data, float left,
                            float top, float /*unused1*/, float /*unused2*/, float scale) {
  if (instance == nullptr || !torv::platform::deviceHasSurface(dc)) return;
  const std::unique_ptr<Picture> picture = torv::component::makeSymbolPicture(*instance, data);
  if (!picture) return;
  const auto where =
      torv::component::paintRectangle(picture->widthHimetric(), picture->heightHimetric(),
                                      torv::platform::deviceDpiX(dc), torv::platform::deviceDpiY(dc), left, top, scale);
  if (where) renderUpright(*picture, dc, *where);
}

TORVC_PDF417_API void print(TorvPdf417Comp* instance, TorvDeviceContext* dc, const char16_t* data, float left,
                            float top, float /*unused1*/, float /*unused2*/, float scale, float offsetX,
                            float offsetY) {
  if (instance == nullptr || !torv::platform::deviceHasSurface(dc)) return;
  const std::unique_ptr<Picture> picture = torv::component::makeSymbolPicture(*instance, data);
  if (!picture) return;
  const auto where = torv::component::printRectangle(picture->widthHimetric(), picture->heightHimetric(),
                                                     torv::platform::deviceDpiX(dc), torv::platform::deviceDpiY(dc),
                                                     left, top, scale, offsetX, offsetY);
  if (where) renderUpright(*picture, dc, *where);
}

}  // extern "C"
