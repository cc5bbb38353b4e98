#include "attributes/NameIndex.h"

namespace torv::attributes {

std::uint32_t NameIndex::hashOf(const std::string& name) {
  // FNV-1a over the bytes, then a final mix so that the low bits, which pick the slot,
  // depend on every byte.
  std::uint64_t h = 1469598103934665603ULL;
  for (unsigned char c : name) {
    h ^= c;
    h *= 1099511628211ULL;
  }
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return static_cast<std::uint32_t>(h);
}

std::size_t NameIndex::probe(std::uint32_t hash, const std::string& name, const std::vector<std::string>& names) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  while (slots_[i].position >= 0) {
    if (slots_[i].hash == hash && names[static_cast<std::size_t>(slots_[i].position)] == name) return i;
    i = (i + 1) & mask;
  }
  return i;
}

int NameIndex::find(const std::string& name, const std::vector<std::string>& names) const {
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

void NameIndex::insert(int position, const std::vector<std::string>& names) {
  if (static_cast<std::size_t>(size_ + 1) * 2 > slots_.size()) grow();
  const std::string& name = names[static_cast<std::size_t>(position)];
  const std::uint32_t hash = hashOf(name);
  Slot& slot = slots_[probe(hash, name, names)];
  slot.hash = hash;
  slot.position = position;
  ++size_;
}

void NameIndex::erase(const std::string& name, const std::vector<std::string>& names) {
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

void NameIndex::move(const std::string& name, int from, int to) {
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
