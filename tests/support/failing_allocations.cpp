// SPDX-License-Identifier: Apache-2.0
#include "failing_allocations.h"

#include <cstdlib>
#include <new>

namespace {
long untilFailure = -1;  // -1: never
torv::test::AllocationFailure mode = torv::test::AllocationFailure::kNone;
bool happened = false;
bool pausedNow = false;
}  // namespace

namespace torv::test {

void failAllocations(long after, AllocationFailure how) {
  untilFailure = after;
  mode = how;
  happened = false;
}

void stopFailingAllocations() {
  untilFailure = -1;
  mode = AllocationFailure::kNone;
  pausedNow = false;
}

bool allocationFailureHappened() { return happened; }

void pauseAllocationFailures(bool paused) { pausedNow = paused; }

}  // namespace torv::test

void* operator new(std::size_t size) {
  using torv::test::AllocationFailure;
  if (mode != AllocationFailure::kNone && !pausedNow) {
    if (untilFailure == 0) {
      happened = true;
      if (mode == AllocationFailure::kOnce) mode = AllocationFailure::kNone;
      throw std::bad_alloc();
    }
    --untilFailure;
  }
  void* memory = std::malloc(size == 0 ? 1 : size);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return operator new(size, std::nothrow); }

// Every form is replaced, so that all memory comes from malloc and goes back to free (also under
// AddressSanitizer, whose own forms would not match these).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
#pragma GCC diagnostic pop
