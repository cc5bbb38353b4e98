// SPDX-License-Identifier: Apache-2.0
#include "component/torv_pdf417_comp.h"

namespace torv::component {
namespace {

constexpr const char16_t* kNames[kAttributeCount] = {
    u"PDF417_ROWNUM", u"PDF417_COLNUM", u"PDF417_ECC", u"PDF417_XSCALE", u"PDF417_YSCALE",
};

bool sameText(const char16_t* a, const char16_t* b) {
  while (*a != 0 && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

}  // namespace

const char16_t* attributeName(Attribute attribute) { return kNames[static_cast<int>(attribute)]; }

std::optional<Attribute> findAttribute(const char16_t* name) {
  if (name == nullptr) return std::nullopt;
  for (int i = 0; i < kAttributeCount; ++i) {
    if (sameText(name, kNames[i])) return static_cast<Attribute>(i);
  }
  return std::nullopt;
}

}  // namespace torv::component

using torv::component::Attribute;

std::int32_t TorvPdf417Comp::value(Attribute attribute) const {
  return const_cast<TorvPdf417Comp*>(this)->field(attribute);
}

void TorvPdf417Comp::setValue(Attribute attribute, std::int32_t value) { field(attribute) = value; }

std::int32_t& TorvPdf417Comp::field(Attribute attribute) {
  switch (attribute) {
    case Attribute::Rows:
      return rows;
    case Attribute::Columns:
      return columns;
    case Attribute::EccLevel:
      return eccLevel;
    case Attribute::XScale:
      return xScale;
    case Attribute::YScale:
      break;
  }
  return yScale;
}
