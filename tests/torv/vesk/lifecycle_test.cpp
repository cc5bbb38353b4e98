// SPDX-License-Identifier: Apache-2.0
// Handles built and released many times, and under allocation failure: nothing may stay
// allocated and no host call may happen at destroy. This program counts every allocation
// made through operator new, the library's included.
#include <cstdlib>
#include <new>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "scripted_host.h"
#include "torv_vesk_client.h"

namespace {
long liveAllocations = 0;
long allocationsUntilFailure = -1;  // -1: never fail
}  // namespace

void* operator new(std::size_t size) {
  if (allocationsUntilFailure == 0) throw std::bad_alloc();
  if (allocationsUntilFailure > 0) --allocationsUntilFailure;
  void* memory = std::malloc(size == 0 ? 1 : size);
  if (memory == nullptr) throw std::bad_alloc();
  ++liveAllocations;
  return memory;
}

// The replaced operator new allocates with malloc, so free is the matching release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept {
  if (memory == nullptr) return;
  --liveAllocations;
  std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept { operator delete(memory); }
#pragma GCC diagnostic pop

namespace torv::testing {
namespace {

const std::string kInitial = wireList({{"TORV_SERVER_IP", "127.0.0.1"}, {"TORV_SERVER_URL", "vesk://127.0.0.1/"}});
const std::string kServerList = wireList({{"SERVER", "reports"}, {"VERSION", "2"}, {"MODE", "plain"}});
const std::string kHostList = wireList({{"USER", "anna"}, {"LOCALE", "de"}});

// One full life of a handle; returns the host calls made by destroy.
int oneCycle(ScriptedHost& host, bool& ok) {
  host.input = kServerList;
  host.position = 0;
  host.output.clear();
  TorvVeskClientHandle handle = nullptr;
  ok = host.create(kInitial, &handle) == 1001;
  char* bytes = nullptr;
  int count = 0;
  ok = ok && TorvVeskClient_createSecureInputStream(handle, &bytes, &count) == 0;
  TorvVeskClient_free_memory(bytes);
  ok = ok && TorvVeskClient_createSecureOutputStream(handle, kHostList.data(), static_cast<int>(kHostList.size())) == 0;
  ok = ok && TorvVeskClient_flush(handle) == -30000;                                    // a failure on the way
  ok = ok && TorvVeskClient_createSecureInputStream(handle, &bytes, &count) == -30000;  // connection ended
  const int before = host.calls.total();
  ok = ok && TorvVeskClient_destroy(handle) == 1;
  return host.calls.total() - before;
}

TEST(TorvVeskClientLifecycle, AThousandCyclesLeaveNothingBehind) {
  ScriptedHost host;
  host.input.reserve(kServerList.size());
  host.output.reserve(1024);
  host.readCloseReasons.reserve(16);
  host.readBArrayLengths.reserve(100000);
  host.writeByteValues.reserve(100000);
  bool warm = false;
  oneCycle(host, warm);  // first use of function-local statics
  ASSERT_TRUE(warm);

  const long before = liveAllocations;
  int callsAtDestroy = 0;
  int failedCycles = 0;
  for (int i = 0; i < 1000; ++i) {
    host.readBArrayLengths.clear();
    host.writeByteValues.clear();
    bool ok = false;
    callsAtDestroy += oneCycle(host, ok);
    failedCycles += ok ? 0 : 1;
  }
  const long after = liveAllocations;
  EXPECT_EQ(failedCycles, 0);
  EXPECT_EQ(callsAtDestroy, 0);
  EXPECT_EQ(after, before);
  EXPECT_TRUE(host.readCloseReasons.empty());
}

TEST(TorvVeskClientLifecycle, CreateUnderAllocationFailureLeavesNothing) {
  ScriptedHost host;
  bool created = false;
  for (long failAt = 0; !created && failAt < 1000; ++failAt) {
    TorvVeskClientHandle handle = reinterpret_cast<TorvVeskClientHandle>(&host);
    const long before = liveAllocations;
    allocationsUntilFailure = failAt;
    const int result = host.create(kInitial, &handle);
    allocationsUntilFailure = -1;
    if (result == 1001) {
      created = true;
      EXPECT_EQ(TorvVeskClient_destroy(handle), 1);
    } else {
      EXPECT_EQ(result, -30000) << failAt;
      EXPECT_EQ(handle, nullptr) << failAt;
    }
    EXPECT_EQ(liveAllocations, before) << failAt;
  }
  EXPECT_TRUE(created);
  EXPECT_EQ(host.calls.total(), 0);
}

TEST(TorvVeskClientLifecycle, NegotiationUnderAllocationFailureLeaksNothing) {
  bool succeeded = false;
  for (long failAt = 0; !succeeded && failAt < 1000; ++failAt) {
    ScriptedHost host(kServerList);
    host.readBArrayLengths.reserve(64);
    const long before = liveAllocations;
    TorvVeskClientHandle handle = nullptr;
    ASSERT_EQ(host.create(kInitial, &handle), 1001);
    char* bytes = nullptr;
    int count = 0;
    allocationsUntilFailure = failAt;
    const int result = TorvVeskClient_createSecureInputStream(handle, &bytes, &count);
    allocationsUntilFailure = -1;
    if (result == 0) {
      succeeded = true;
      TorvVeskClient_free_memory(bytes);
    } else {
      EXPECT_EQ(result, -30000) << failAt;
      EXPECT_EQ(bytes, nullptr) << failAt;
    }
    ASSERT_EQ(TorvVeskClient_destroy(handle), 1);
    EXPECT_EQ(liveAllocations, before) << failAt;
  }
  EXPECT_TRUE(succeeded);
}

// A valid list with some bytes changed, cut short or with a count replaced.
std::string mutated(const std::string& list, std::mt19937& random) {
  std::string bytes = list;
  switch (random() % 4) {
    case 0:
      bytes.resize(random() % (bytes.size() + 1));
      break;
    case 1:
      for (int i = 0; i < 3; ++i) bytes[random() % bytes.size()] = static_cast<char>(random());
      break;
    case 2: {
      const int counts[] = {-2, -1, 0, 1, 7, 0x7FFF, 0x7FFFFFFF, static_cast<int>(0x80000000u)};
      std::string count;
      appendInt(count, counts[random() % 8]);
      bytes.replace((random() % (bytes.size() / 4)) * 4, 4, count);
      break;
    }
    default:
      bytes += std::string(random() % 8, static_cast<char>(random()));
      break;
  }
  return bytes;
}

TEST(TorvVeskClientLifecycle, DamagedListsNeverCrashOrLeak) {
  std::mt19937 random(2024);
  int created = 0;
  const long before = liveAllocations;
  for (int round = 0; round < 2000; ++round) {
    ScriptedHost host(mutated(kServerList, random));
    host.readBArrayLengths.reserve(64);
    TorvVeskClientHandle handle = nullptr;
    const std::string initial = mutated(kInitial, random);
    const int result = host.create(initial, &handle);
    if (result != 1001) {
      EXPECT_EQ(result, -30000);
      EXPECT_EQ(handle, nullptr);
      continue;
    }
    ++created;
    char* bytes = nullptr;
    int count = 0;
    const int in = TorvVeskClient_createSecureInputStream(handle, &bytes, &count);
    EXPECT_TRUE(in == 0 || in == -30000) << in;
    if (in == 0) TorvVeskClient_free_memory(bytes);
    const std::string own = mutated(kHostList, random);
    const int out = TorvVeskClient_createSecureOutputStream(handle, own.data(), static_cast<int>(own.size()));
    EXPECT_TRUE(out == 0 || out == -30000) << out;
    EXPECT_EQ(TorvVeskClient_destroy(handle), 1);
  }
  EXPECT_EQ(liveAllocations, before);
  EXPECT_GT(created, 100);  // enough handles got through to exercise the negotiations
}

}  // namespace
}  // namespace torv::testing
