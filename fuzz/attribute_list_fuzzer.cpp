// SPDX-License-Identifier: Apache-2.0
// Attribute lists from arbitrary bytes: a list that reads must write, and what it writes must read
// back as the same list.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "attributes/CJTorvAttributeList.h"
#include "fuzz_input.h"
#include "stream/byte_array_input_stream.h"
#include "stream/byte_array_output_stream.h"
#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "stream/exceptions.h"

namespace {

// Reads a list from the bytes; false when the stream reports a failure.
bool readList(const char* bytes, int length, CJTorvAttributeList& list) {
  CJDataInputStream in(new CJByteArrayInputStream(const_cast<char*>(bytes), length, 0), 1);
  try {
    list.read(&in);
    return true;
  } catch (const CZException&) {
    return false;
  }
}

std::string writeList(const CJTorvAttributeList& list) {
  CJByteArrayOutputStream bytes;
  CJDataOutputStream out(&bytes, 0);
  try {
    list.write(&out);
  } catch (const CZException&) {
    ::torv::fuzz::checkFailed("a list that was read could not be written", __FILE__, __LINE__);
  }
  return bytes.toString();
}

bool sameList(const CJTorvAttributeList& a, const CJTorvAttributeList& b) {
  if (a.size() != b.size()) return false;
  for (int i = 0; i < a.size(); ++i) {
    if (a.getName(i) != b.getName(i) || a.getValue(i) != b.getValue(i)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 20) return 0;
  CJTorvAttributeList first;
  if (!readList(reinterpret_cast<const char*>(data), static_cast<int>(size), first)) return 0;

  // Names are unique and every name finds its own position.
  for (int i = 0; i < first.size(); ++i) {
    std::string value;
    FUZZ_CHECK(first.find(first.getName(i), value) == i);
    FUZZ_CHECK(value == first.getValue(i));
  }

  const std::string wire = writeList(first);
  CJTorvAttributeList second;
  FUZZ_CHECK(readList(wire.data(), static_cast<int>(wire.size()), second));
  FUZZ_CHECK(sameList(first, second));
  // The written form is stable: writing the second list gives the same bytes.
  FUZZ_CHECK(writeList(second) == wire);

  // Copies and merges keep the list.
  CJTorvAttributeList copy(first);
  copy += second;
  FUZZ_CHECK(sameList(copy, first));
  return 0;
}
