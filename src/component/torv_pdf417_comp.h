// SPDX-License-Identifier: Apache-2.0
// One barcode component on a report page: five integer attributes and nothing else. The data to
// encode is handed in with every drawing call.
#pragma once

#include <cstdint>
#include <optional>

namespace torv::component {

// The attributes, in the order of the attribute list and of the saved record.
enum class Attribute { Rows, Columns, EccLevel, XScale, YScale };
constexpr int kAttributeCount = 5;

// The attribute's name, e.g. u"PDF417_ROWNUM". The pointer stays valid for the library's lifetime.
const char16_t* attributeName(Attribute attribute);

// The attribute with exactly this name (case-sensitive), or nothing; null names nothing.
std::optional<Attribute> findAttribute(const char16_t* name);

}  // namespace torv::component

class TorvPdf417Comp {
 public:
  TorvPdf417Comp() = default;
  TorvPdf417Comp(const TorvPdf417Comp&) = default;
  TorvPdf417Comp& operator=(const TorvPdf417Comp&) = default;
  virtual ~TorvPdf417Comp() = default;

  std::int32_t value(torv::component::Attribute attribute) const;
  void setValue(torv::component::Attribute attribute, std::int32_t value);

  std::int32_t rows = 0;
  std::int32_t columns = 8;
  std::int32_t eccLevel = 0;
  std::int32_t xScale = 1;
  std::int32_t yScale = 1;

 private:
  std::int32_t& field(torv::component::Attribute attribute);
};
