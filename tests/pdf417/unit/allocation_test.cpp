// SPDX-License-Identifier: Apache-2.0
// The encoder allocates nothing on the heap while it encodes and writes, however tall the
// image: one pixel row is drawn at a time into a fixed buffer.
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace torv::pdf417 {
namespace {

TEST(Allocation, EncodeAndWriteAllocateNothing) {
  Encoder enc;
  for (const char* rowHeight : {"1", "25"}) {
    enc.reset();
    enc.setEccLevel(4);
    enc.setSizingMode(SIZING_FIXED);
    ASSERT_EQ(enc.setRowsColumns(90, 3), 1);
    ASSERT_EQ(enc.setRowHeightRatio(rowHeight), 1);
    ASSERT_EQ(enc.setBitmapWriter(20, true), 1);
    const std::string data(200, 'Q');
    std::vector<std::uint8_t> image(16u << 20);  // 90 rows of 500 pixel rows, 300 bytes each
    Pdf417Stream in;
    Pdf417Stream out;
    std::int32_t size = 0;
    std::int32_t written = 0;

    const long before = allocations.load();
    pdf417OpenMemory(&in, PDF417_STREAM_INPUT, const_cast<char*>(data.data()), 200);
    pdf417OpenMemory(&out, PDF417_STREAM_OUTPUT, image.data(), static_cast<std::uint32_t>(image.size()));
    ASSERT_EQ(enc.encode(&in, 200), 1);
    ASSERT_EQ(enc.write(nullptr, &size), 0);
    ASSERT_EQ(enc.write(&out, &written), 0);
    EXPECT_EQ(allocations.load() - before, 0) << rowHeight;
    EXPECT_EQ(written, size);
    EXPECT_EQ(enc.symbol().rows, 90);
  }
}

}  // namespace
}  // namespace torv::pdf417
