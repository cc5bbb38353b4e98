// SPDX-License-Identifier: Apache-2.0
// Counts from the wire must not decide how much memory is taken: this binary replaces the
// global allocator to record the largest single request made while reading.
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "stream_test_support.h"

namespace {
std::size_t largestRequest = 0;

void* allocate(std::size_t size) {
  if (size > largestRequest) largestRequest = size;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace torv::stream::test {
namespace {

constexpr std::size_t kBound = 256 * 1024;

std::size_t largestWhileReading(const std::string& input, bool utf) {
  ScriptedInputStream inner(input);
  CJDataInputStream in(&inner, 0);
  largestRequest = 0;
  try {
    if (utf) {
      in.readUTF();
    } else {
      in.readString();
    }
  } catch (const CZException&) {
  }
  return largestRequest;
}

TEST(AllocationTest, StringCountDoesNotDecideTheAllocation) {
  EXPECT_LT(largestWhileReading(bytes({0x7F, 0xFF, 0xFF, 0xFF, 0, 'a', 0, 'b'}), false), kBound);
  EXPECT_LT(largestWhileReading(bytes({0x40, 0x00, 0x00, 0x00}) + std::string(1000, 'x'), false), kBound);
}

TEST(AllocationTest, ExtendedUtfLengthDoesNotDecideTheAllocation) {
  EXPECT_LT(largestWhileReading(bytes({0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'}), true), kBound);
  EXPECT_LT(largestWhileReading(bytes({0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'}), true), kBound);
}

TEST(AllocationTest, GrowthFollowsTheArrivingData) {
  // A String of 300000 units that really arrives is read completely.
  std::string input = bytes({0x00, 0x04, 0x93, 0xE0});
  for (int i = 0; i < 300000; ++i) input += bytes({0, 'q'});
  ScriptedInputStream inner(input);
  CJDataInputStream in(&inner, 0);
  EXPECT_EQ(in.readString(), std::string(300000, 'q'));
}

}  // namespace
}  // namespace torv::stream::test
