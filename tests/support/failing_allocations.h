// SPDX-License-Identifier: Apache-2.0
// Allocation failure on demand, for programs that link failing_allocations.cpp (it replaces the
// global operator new, so it goes into a program of its own, never into a shared test library).
#pragma once

namespace torv::test {

enum class AllocationFailure { kNone, kOnce, kFromThenOn };

// Makes allocation number `after` (0: the next one) fail; kOnce lets later ones succeed again.
void failAllocations(long after, AllocationFailure how);
void stopFailingAllocations();
// Whether an armed failure has been reached since failAllocations.
bool allocationFailureHappened();
// While paused (the test's own checks), allocations neither count nor fail.
void pauseAllocationFailures(bool paused);

}  // namespace torv::test
