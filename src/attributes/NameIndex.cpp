// SPDX-License-Identifier: Apache-2.0
#include "attributes/NameIndex.h"

#include <cstring>

#include "platform/process_random.h"

namespace torv::attributes {

namespace {

std::uint64_t rotl(std::uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }

struct SipState {
  std::uint64_t v0, v1, v2, v3;
  void round() {
    v0 += v1;
    v1 = rotl(v1, 13);
    v1 ^= v0;
    v0 = rotl(v0, 32);
    v2 += v3;
    v3 = rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = rotl(v1, 17);
    v1 ^= v2;
    v2 = rotl(v2, 32);
  }
};

// Eight bytes as one word in the machine's order: the hash only has to be the same within
// one process, and a plain load is what keeps it cheap.
std::uint64_t wholeWord(const unsigned char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

std::uint64_t partialWord(const unsigned char* p, std::size_t n) {
  std::uint64_t word = 0;
  for (std::size_t i = 0; i < n; ++i) word |= static_cast<std::uint64_t>(p[i]) << (8 * i);
  return word;
}

NameHashKey& processKey() {
  static NameHashKey key{torv::platform::randomWord(), torv::platform::randomWord()};
  return key;
}

}  // namespace

std::uint64_t NameIndex::keyedHash(std::string_view name, const NameHashKey& key) {
  // SipHash with one compression and three finalisation rounds: a keyed function whose
  // collisions cannot be found without the key, and cheap on the short names lists hold.
  SipState s{key.k0 ^ 0x736f6d6570736575ULL, key.k1 ^ 0x646f72616e646f6dULL, key.k0 ^ 0x6c7967656e657261ULL,
             key.k1 ^ 0x7465646279746573ULL};
  const auto* p = reinterpret_cast<const unsigned char*>(name.data());
  const std::size_t whole = name.size() & ~static_cast<std::size_t>(7);
  for (std::size_t i = 0; i < whole; i += 8) {
    const std::uint64_t m = wholeWord(p + i);
    s.v3 ^= m;
    s.round();
    s.v0 ^= m;
  }
  const std::uint64_t last =
      partialWord(p + whole, name.size() - whole) | (static_cast<std::uint64_t>(name.size()) << 56);
  s.v3 ^= last;
  s.round();
  s.v0 ^= last;
  s.v2 ^= 0xff;
  s.round();
  s.round();
  s.round();
  return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

std::uint32_t NameIndex::hashOf(std::string_view name) {
  return static_cast<std::uint32_t>(keyedHash(name, processKey()));
}

NameHashKey NameIndex::fixKey(const NameHashKey& key) {
  const NameHashKey previous = processKey();
  processKey() = key;
  return previous;
}

std::size_t NameIndex::probe(std::uint32_t hash, std::string_view name, const IndexedNames& names) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  while (slots_[i].position >= 0) {
    if (slots_[i].hash == hash && names.nameAt(slots_[i].position) == name) return i;
    i = (i + 1) & mask;
  }
  return i;
}

int NameIndex::find(std::string_view name, const IndexedNames& names) const {
  if (size_ == 0) return -1;
  return slots_[probe(hashOf(name), name, names)].position;
}

void NameIndex::grow() { rehash(slots_.size() < 16 ? 16 : slots_.size() * 2); }

void NameIndex::reserve(int entries) {
  std::size_t slotCount = 16;
  while (slotCount < 2 * static_cast<std::size_t>(entries)) slotCount *= 2;  // at most half full
  if (slotCount > slots_.size()) rehash(slotCount);
}

void NameIndex::rehash(std::size_t slotCount) {
  std::vector<Slot> old(slotCount);
  old.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.position < 0) continue;
    std::size_t i = slot.hash & mask;
    while (slots_[i].position >= 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

void NameIndex::insert(int position, const IndexedNames& names) {
  if (static_cast<std::size_t>(size_ + 1) * 2 > slots_.size()) grow();
  const std::string_view name = names.nameAt(position);
  const std::uint32_t hash = hashOf(name);
  Slot& slot = slots_[probe(hash, name, names)];
  slot.hash = hash;
  slot.position = position;
  ++size_;
}

int NameIndex::findOrInsert(int position, std::uint32_t hash, const IndexedNames& names) {
  if (static_cast<std::size_t>(size_ + 1) * 2 > slots_.size()) grow();
  const std::string_view name = names.nameAt(position);
  Slot& slot = slots_[probe(hash, name, names)];
  if (slot.position >= 0) return slot.position;
  slot.hash = hash;
  slot.position = position;
  ++size_;
  return -1;
}

void NameIndex::erase(std::string_view name, const IndexedNames& names) {
  if (size_ == 0) return;
  const std::size_t mask = slots_.size() - 1;
  std::size_t hole = probe(hashOf(name), name, names);
  if (slots_[hole].position < 0) return;
  // Backward-shift deletion: move up every later entry of the run that may not stay behind
  // the hole, so that no probe run is cut short and no tombstones are needed.
  for (std::size_t i = (hole + 1) & mask; slots_[i].position >= 0; i = (i + 1) & mask) {
    const std::size_t home = slots_[i].hash & mask;
    const bool homeBetween = hole <= i ? (hole < home && home <= i) : (hole < home || home <= i);
    if (!homeBetween) {
      slots_[hole] = slots_[i];
      hole = i;
    }
  }
  slots_[hole] = Slot();
  --size_;
}

void NameIndex::move(std::string_view name, int from, int to) {
  const std::size_t mask = slots_.size() - 1;
  const std::uint32_t hash = hashOf(name);
  for (std::size_t i = hash & mask; slots_[i].position >= 0; i = (i + 1) & mask) {
    if (slots_[i].position == from) {
      slots_[i].position = to;
      return;
    }
  }
}

void NameIndex::clear() {
  slots_.clear();
  size_ = 0;
}

}  // namespace torv::attributes
