// SPDX-License-Identifier: Apache-2.0
// A hostile server against one handle: a string length it never delivers, and a count of
// entries it never delivers. The memory held while the list arrives must follow the bytes that
// really arrived, and nothing of it may stay with the handle once the negotiation has failed.
// This program counts the bytes of every allocation made through operator new.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include <gtest/gtest.h>

#include "torv_vesk_client.h"

#if defined(_WIN32)
#include <malloc.h>
#define TORV_BLOCK_SIZE _msize
#else
#include <malloc.h>
#define TORV_BLOCK_SIZE malloc_usable_size
#endif

namespace {
long long liveBytes = 0;
long long peakBytes = 0;
}  // namespace

// Counted as the allocator's usable size of each block, a little above what was asked for.
void* operator new(std::size_t size) {
  void* memory = std::malloc(size == 0 ? 1 : size);
  if (memory == nullptr) throw std::bad_alloc();
  liveBytes += static_cast<long long>(TORV_BLOCK_SIZE(memory));
  if (liveBytes > peakBytes) peakBytes = liveBytes;
  return memory;
}

// Arrays too: a sanitizer's runtime brings an array form of its own that would bypass the count.
void* operator new[](std::size_t size) { return operator new(size); }

// The replaced operator new allocates with malloc, so free is the matching release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept {
  if (memory == nullptr) return;
  liveBytes -= static_cast<long long>(TORV_BLOCK_SIZE(memory));
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept { operator delete(memory); }
void operator delete[](void* memory) noexcept { operator delete(memory); }
void operator delete[](void* memory, std::size_t) noexcept { operator delete(memory); }
#pragma GCC diagnostic pop

namespace {

// The server: a fixed head, then bytes made up as they are asked for, then end of stream.
struct HostilePeer {
  std::string head;
  long long bodyBytes = 0;
  // Byte i of the body.
  unsigned char (*body)(long long i) = nullptr;
  long long delivered = 0;

  int next() {
    const long long at = delivered;
    if (at < static_cast<long long>(head.size())) return static_cast<unsigned char>(head[static_cast<std::size_t>(at)]);
    if (at - static_cast<long long>(head.size()) < bodyBytes) return body(at - static_cast<long long>(head.size()));
    return -1;
  }
};

HostilePeer* peer = nullptr;

int readByte(int, unsigned char* byte, int* count) {
  const int c = peer->next();
  if (c < 0) {
    *count = -1;
    return 0;
  }
  ++peer->delivered;
  *byte = static_cast<unsigned char>(c);
  *count = 1;
  return 0;
}
int readBArray(int, char* destination, int length, int* count) {
  int n = 0;
  for (int c; n < length && (c = peer->next()) >= 0; ++n, ++peer->delivered) destination[n] = static_cast<char>(c);
  *count = n == 0 && length > 0 ? -1 : n;
  return 0;
}
int available(int, int* n) {
  *n = 0;
  return 0;
}
int readClose(int, int) { return 0; }
int writeByte(int, int) { return 0; }
int writeBArray(int, const char*, int) { return 0; }
int flush(int) { return 0; }
int writeClose(int) { return 0; }
const char* errorMessage(int) { return "closed"; }

std::string wireInt(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
          static_cast<char>(value)};
}

// Entries of a six-letter name, unique for each entry, and an empty value: 20 bytes each.
constexpr long long kEntryBytes = 20;
unsigned char entryByte(long long i) {
  const long long entry = i / kEntryBytes;
  const int at = static_cast<int>(i % kEntryBytes);
  if (at < 4) return at == 3 ? 6 : 0;  // name length
  if (at >= 16) return 0;              // value length 0
  if ((at - 4) % 2 == 0) return 0;     // high byte of a unit
  const int letter = (at - 5) / 2;     // 0..5, lowest first
  return static_cast<unsigned char>('a' + (entry >> (4 * letter)) % 16);
}
unsigned char letterByte(long long i) { return i % 2 == 0 ? 0 : 'x'; }

struct Measured {
  int result;
  long long heldAfter;  // above what the handle held before the negotiation
  long long peak;       // above the same
  long long arrived;
};

Measured negotiate(TorvVeskClientHandle handle, HostilePeer& server) {
  peer = &server;
  const long long before = liveBytes;
  peakBytes = liveBytes;
  char* bytes = nullptr;
  int count = 0;
  const int result = TorvVeskClient_createSecureInputStream(handle, &bytes, &count);
  if (result >= 0) TorvVeskClient_free_memory(bytes);
  return Measured{result, liveBytes - before, peakBytes - before, server.delivered};
}

TEST(TorvVeskClientMemory, AHostileServerLeavesNothingBehindAndPeaksWithTheArrivedBytes) {
  struct Case {
    const char* what;
    HostilePeer server;
  } cases[] = {
      // A string said to hold 0x7fffffff units, of which 128 MiB (and a half unit) arrive.
      {"long string", {wireInt(1) + wireInt(0x7fffffff), (128LL << 20) + 8, letterByte}},
      // A count of 0x7fffffff, of which 32 MB of small entries arrive.
      {"many entries", {wireInt(0x7fffffff), 32000000 / kEntryBytes * kEntryBytes + 7, entryByte}},
  };
  // The stream's own first chunk of wire bytes stays for the next text.
  constexpr long long kKept = 128 * 1024;
  const std::string empty = wireInt(0);
  for (Case& c : cases) {
    TorvVeskClientHandle handle = nullptr;
    ASSERT_EQ(TorvVeskClient_create(empty.data(), 4, 1, readByte, readBArray, available, readClose, writeByte,
                                    writeBArray, flush, writeClose, errorMessage, &handle),
              1001);
    const long long before = liveBytes;
    const Measured m = negotiate(handle, c.server);
    std::printf("%-12s arrived %lld bytes, peak %lld (%.2fx), held after %lld\n", c.what, m.arrived, m.peak,
                static_cast<double>(m.peak) / static_cast<double>(m.arrived), m.heldAfter);
    EXPECT_EQ(m.result, -30000) << c.what;
    EXPECT_LE(m.peak, 2 * m.arrived + (1 << 20)) << c.what;
    EXPECT_LE(m.heldAfter, kKept) << c.what;
    // A later list that arrives whole leaves the handle no more than that list needs.
    HostilePeer small{wireInt(1) + wireInt(1) + std::string("\0k", 2) + wireInt(1) + std::string("\0v", 2), 0, nullptr};
    EXPECT_EQ(negotiate(handle, small).result, 0) << c.what;
    EXPECT_LE(liveBytes - before, kKept) << c.what;
    EXPECT_EQ(TorvVeskClient_destroy(handle), 1);
  }
}

}  // namespace
