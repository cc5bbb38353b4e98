// SPDX-License-Identifier: Apache-2.0
// Hash index from name to position for the attribute list: open addressing with linear
// probing over a power-of-two table of (hash, position) slots, at most half full. The names
// themselves stay in the list's own sequence; the index only refers to them by position.
// Names come from the server, so the hash is keyed with a per-process random key: names
// crafted to share one probe run cannot be found without the key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace torv::attributes {

// Where the index finds the name of an entry by its position; the index keeps no names itself.
class IndexedNames {
 public:
  virtual std::string_view nameAt(int position) const = 0;

 protected:
  ~IndexedNames() = default;
};

struct NameHashKey {
  std::uint64_t k0;
  std::uint64_t k1;
};

class NameIndex {
 public:
  // Position of name in names, or -1.
  int find(std::string_view name, const IndexedNames& names) const;
  // Enters the name at position, which must not be in the index yet.
  void insert(int position, const IndexedNames& names);
  // Position of an entry with the name at position, whose hashOf() is hash; when there is none,
  // enters that name and returns -1. One hash for both.
  int findOrInsert(int position, std::uint32_t hash, const IndexedNames& names);
  // hashOf(name), with the slot where its look-up starts already on its way from memory, so
  // that a run of look-ups over a large table need not wait for memory one after the other.
  std::uint32_t hashAhead(std::string_view name) const {
    const std::uint32_t hash = hashOf(name);
#if defined(__GNUC__)
    if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
#endif
    return hash;
  }
  // Enters the entries from position size() on, which arrived unindexed, with put()'s rule for
  // repeated names: the earlier entry takes over the later one's texts and the entries behind
  // close up. Each name is hashed a few entries ahead of its look-up and its slot fetched
  // meanwhile, so that the look-ups need not wait for memory one after the other. Returns how
  // many entries stay. Arrived: name(i), count(), moveEntry(from, to), takeOver(earlier, from).
  template <typename Arrived>
  std::size_t enterArrived(Arrived& arrived);
  // Takes name out of the index (names must still hold it at its position).
  void erase(std::string_view name, const IndexedNames& names);
  // Sets the position recorded for name, which is in the index.
  void move(std::string_view name, int from, int to);
  void clear();
  int size() const { return size_; }
  // Sizes the table once for this many entries in all, so that inserting them never grows it.
  void reserve(int entries);

  // The hash under the process key, drawn from the system's random source on first use.
  static std::uint32_t hashOf(std::string_view name);
  // The full 64-bit hash under any key.
  static std::uint64_t keyedHash(std::string_view name, const NameHashKey& key);
  // Replaces the process key, so that benchmarks and tests get the same slots on every run.
  // Internal (not exported); only while no list holds entries, as their slots would be stale.
  // Returns the key it replaces.
  static NameHashKey fixKey(const NameHashKey& key);

 private:
  struct Slot {
    std::uint32_t hash = 0;
    std::int32_t position = -1;  // -1: empty
  };

  // Slot holding the entry at position with this hash, or the empty slot where it would go.
  std::size_t probe(std::uint32_t hash, std::string_view name, const IndexedNames& names) const;
  void grow();
  void rehash(std::size_t slotCount);

  std::vector<Slot> slots_;
  int size_ = 0;
};

template <typename Arrived>
std::size_t NameIndex::enterArrived(Arrived& arrived) {
  std::size_t kept = static_cast<std::size_t>(size_);
  const std::size_t count = arrived.count();
  // The entries are here, so their number is real: the table is sized for them once.
  reserve(static_cast<int>(count));
  constexpr std::size_t kAhead = 8;
  std::uint32_t hashes[kAhead];
  const auto hashFrom = [&](std::size_t r) {
    if (r < count) hashes[r % kAhead] = hashAhead(arrived.name(r));
  };
  for (std::size_t r = kept; r < kept + kAhead; ++r) hashFrom(r);
  for (std::size_t r = kept; r < count; ++r) {
    const std::uint32_t hash = hashes[r % kAhead];
    // Entries ahead are still where they arrived: only those behind r have moved.
    hashFrom(r + kAhead);
    // Moved to its place before the look-up, so that a new name is entered at once; a
    // repeated one comes back from there.
    if (kept != r) arrived.moveEntry(r, kept);
    const int found = findOrInsert(static_cast<int>(kept), hash, arrived);
    if (found >= 0) {
      arrived.takeOver(static_cast<std::size_t>(found), kept);
      continue;
    }
    ++kept;
  }
  return kept;
}

}  // namespace torv::attributes
