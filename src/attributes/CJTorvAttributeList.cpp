#include "attributes/CJTorvAttributeList.h"

#include <cstdint>
#include <utility>

#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "stream/exceptions.h"

namespace {
// Below this many unused bytes the text blocks are never packed: not worth a pass.
constexpr std::size_t kPackThreshold = 4096;
// A block takes no new entry once it holds this many bytes; the spare room lets the entry that
// crosses the mark arrive without moving the block.
constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr std::size_t kBlockSpare = 4 * 1024;

// Entries record text lengths in 32 bits; a longer text is refused rather than cut.
std::uint32_t entryLength(std::size_t length) {
  // Any bit above the low 32 (shifted in two steps, as size_t may have only 32 bits).
  if ((length >> 16 >> 16) != 0) throw new CZException("attribute text too long");
  return static_cast<std::uint32_t>(length);
}
}  // namespace

CJTorvAttributeList::CJTorvAttributeList() = default;

CJTorvAttributeList::CJTorvAttributeList(const CJTorvAttributeList& other) : entries_(other.entries_) {}

CJTorvAttributeList& CJTorvAttributeList::operator=(const CJTorvAttributeList& other) {
  entries_ = other.entries_;
  return *this;
}

CJTorvAttributeList::~CJTorvAttributeList() = default;

CJTorvAttributeList::Entries& CJTorvAttributeList::own() {
  if (entries_ == nullptr) {
    entries_ = std::make_shared<Entries>();
  } else if (entries_.use_count() > 1) {
    entries_ = std::make_shared<Entries>(*entries_);
  }
  return *entries_;
}

std::string& CJTorvAttributeList::Entries::nextBlock() {
  if (blocks.empty() || blocks.back().size() >= kBlockBytes) {
    const bool first = blocks.empty();
    blocks.emplace_back();
    // A list that filled a block will likely fill more: later blocks take their room at once,
    // with some to spare for the entry that crosses the mark.
    if (!first) {
      try {
        blocks.back().reserve(kBlockBytes + kBlockSpare);
      } catch (...) {
        blocks.pop_back();
        throw;
      }
    }
  }
  return blocks.back();
}

CJTorvAttributeList::Entry CJTorvAttributeList::Entries::place(std::string_view name, std::string_view value) {
  const Entry entry{0, 0, entryLength(name.size()), entryLength(value.size())};
  std::string& block = nextBlock();
  const std::size_t at = block.size();
  try {
    block.append(name).append(value);
  } catch (...) {
    block.resize(at);
    throw;
  }
  stored += block.size() - at;
  return Entry{static_cast<std::uint32_t>(blocks.size() - 1), static_cast<std::uint32_t>(at), entry.nameLength,
               entry.valueLength};
}

void CJTorvAttributeList::Entries::append(std::string_view name, std::string_view value) {
  const Entry entry = place(name, value);
  // Each step is undone if a later one runs out of memory, so the invariants survive; the
  // placed texts just become unused.
  try {
    list.push_back(entry);
    try {
      index.insert(static_cast<int>(list.size() - 1), *this);
    } catch (...) {
      list.pop_back();
      throw;
    }
  } catch (...) {
    unused += static_cast<std::size_t>(entry.nameLength) + entry.valueLength;
    throw;
  }
}

void CJTorvAttributeList::Entries::setValue(std::size_t i, std::string_view value) {
  Entry& entry = list[i];
  const std::uint32_t length = entryLength(value.size());
  if (length <= entry.valueLength) {
    blocks[entry.block].replace(entry.at + entry.nameLength, length, value);
    unused += entry.valueLength - length;
    entry.valueLength = length;
  } else {
    // A longer value no longer fits behind its name: both move to the next block. The name is
    // copied first, as placing may move the blocks.
    const std::string name(this->name(i));
    const Entry moved = place(name, value);
    unused += static_cast<std::size_t>(entry.nameLength) + entry.valueLength;
    entry = moved;
  }
  packIfWasteful();
}

void CJTorvAttributeList::Entries::removeAt(std::size_t i) {
  const std::string_view removed = name(i);
  index.erase(removed, *this);
  unused += static_cast<std::size_t>(list[i].nameLength) + list[i].valueLength;
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
  // Every entry behind the gap moved up by one.
  for (std::size_t q = i; q < list.size(); ++q) index.move(name(q), static_cast<int>(q + 1), static_cast<int>(q));
  if (list.empty()) {
    blocks.clear();
    stored = 0;
    unused = 0;
  }
  packIfWasteful();
}

void CJTorvAttributeList::Entries::packIfWasteful() {
  if (unused < kPackThreshold || unused < stored - unused) return;
  try {
    Entries packed;
    packed.list = list;
    for (Entry& entry : packed.list) {
      const std::string_view texts(textOf(entry), static_cast<std::size_t>(entry.nameLength) + entry.valueLength);
      entry = packed.place(texts.substr(0, entry.nameLength), texts.substr(entry.nameLength));
    }
    blocks.swap(packed.blocks);
    list.swap(packed.list);
    stored = packed.stored;
    unused = 0;
  } catch (...) {
    // Out of memory: the unpacked blocks are just as good, only larger.
  }
}

void CJTorvAttributeList::Entries::recountUnused() {
  std::size_t used = 0;
  for (const Entry& entry : list) used += static_cast<std::size_t>(entry.nameLength) + entry.valueLength;
  unused = stored - used;
}

void CJTorvAttributeList::put(const std::string& name, const std::string& value) { putText(name, value); }

void CJTorvAttributeList::putText(std::string_view name, std::string_view value) {
  Entries& e = own();
  const int found = e.index.find(name, e);
  if (found >= 0) {
    e.setValue(static_cast<std::size_t>(found), value);
    return;
  }
  e.append(name, value);
}

std::string CJTorvAttributeList::getValue(const std::string& name) const {
  if (entries_ == nullptr) return std::string();
  const int found = entries_->index.find(name, *entries_);
  return found < 0 ? std::string() : std::string(entries_->value(static_cast<std::size_t>(found)));
}

int CJTorvAttributeList::find(const std::string& name, std::string& value) const {
  const int found = entries_ == nullptr ? -1 : entries_->index.find(name, *entries_);
  if (found < 0) {
    value.clear();
    return -1;
  }
  value.assign(entries_->value(static_cast<std::size_t>(found)));
  return found;
}

void CJTorvAttributeList::checkIndex(int index, const char* message) const {
  if (index < 0 || index >= size()) {
    throw new CZException(message);
  }
}

std::string CJTorvAttributeList::getName(int index) const {
  checkIndex(index, "out of index bound. CJTorvAttributeList::getName");
  return std::string(entries_->name(static_cast<std::size_t>(index)));
}

std::string CJTorvAttributeList::getValue(int index) const {
  checkIndex(index, "out of index bound. CJTorvAttributeList::getValue");
  return std::string(entries_->value(static_cast<std::size_t>(index)));
}

int CJTorvAttributeList::size() const { return entries_ == nullptr ? 0 : static_cast<int>(entries_->list.size()); }

void CJTorvAttributeList::remove(const std::string& name) {
  if (entries_ == nullptr || entries_->index.find(name, *entries_) < 0) return;
  Entries& e = own();
  e.removeAt(static_cast<std::size_t>(e.index.find(name, e)));
}

void CJTorvAttributeList::removeAll() { entries_.reset(); }

void CJTorvAttributeList::putAll(const CJTorvAttributeList& other) {
  if (size() == 0) {
    // Nothing to merge with: the other list's entries, names unique already, shared.
    entries_ = other.entries_;
    return;
  }
  // The same entries (other is this list or a copy of it): every put() would keep the value.
  if (other.entries_ == entries_ || other.entries_ == nullptr) return;
  // Held here, so the source stays whole whatever this list does.
  const std::shared_ptr<const Entries> source = other.entries_;
  for (std::size_t i = 0; i < source->list.size(); ++i) putText(source->name(i), source->value(i));
}

CJTorvAttributeList& CJTorvAttributeList::operator+=(const CJTorvAttributeList& other) {
  putAll(other);
  return *this;
}

std::string CJTorvAttributeList::toString() const {
  std::string text;
  const int count = size();
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
    text += entries_->name(i);
    text += " -> ";
    text += entries_->value(i);
    text += "\n";
  }
  return text;
}

void CJTorvAttributeList::read(CJDataInputStream* in) {
  removeAll();
  const int count = in->readInt();
  Entries& e = own();
  // The count comes from the wire: entries are added as they arrive, never reserved ahead.
  // They are indexed afterwards in one pass, where the look-ups follow one another closely
  // instead of each waiting between two texts; an early end indexes what has arrived.
  try {
    for (int i = 0; i < count; ++i) {
      std::string& block = e.nextBlock();
      const std::size_t at = block.size();
      try {
        in->appendString(block);
        const std::size_t valueAt = block.size();
        in->appendString(block);
        e.list.push_back(Entry{static_cast<std::uint32_t>(e.blocks.size() - 1), static_cast<std::uint32_t>(at),
                               entryLength(valueAt - at), entryLength(block.size() - valueAt)});
      } catch (...) {
        // The texts of an entry that did not arrive whole go.
        block.resize(at);
        throw;
      }
      e.stored += block.size() - at;
    }
  } catch (...) {
    // The stream's failure is the one to pass on; indexing keeps the list whole even if it fails.
    try {
      indexArrived();
    } catch (...) {
    }
    throw;
  }
  indexArrived();
}

void CJTorvAttributeList::indexArrived() {
  Entries& e = *entries_;  // read() made them ours
  // Entries from position index.size() on are not indexed yet. Each goes through put():
  // a repeated name replaces the earlier value and the later entries close up behind it.
  std::size_t kept = static_cast<std::size_t>(e.index.size());
  try {
    // The entries are here, so their number is real: the table is sized for them once.
    e.index.reserve(static_cast<int>(e.list.size()));
    // Each name is hashed a few entries ahead of its look-up and its slot fetched meanwhile.
    constexpr std::size_t kAhead = 8;
    std::uint32_t hashes[kAhead];
    const std::size_t arrived = e.list.size();
    const auto hashAhead = [&](std::size_t r) {
      if (r >= arrived) return;
      hashes[r % kAhead] = e.index.hashAhead(e.name(r));
    };
    for (std::size_t r = kept; r < kept + kAhead; ++r) hashAhead(r);
    for (std::size_t r = kept; r < arrived; ++r) {
      const std::uint32_t hash = hashes[r % kAhead];
      // Entries ahead are still where they arrived: only those behind r have moved.
      hashAhead(r + kAhead);
      // Moved to its place before the look-up, so that a new name is entered at once; a
      // repeated one comes back from there.
      if (kept != r) e.list[kept] = e.list[r];
      const int found = e.index.findOrInsert(static_cast<int>(kept), hash, e);
      if (found >= 0) {
        // The later entry's name is the same text, so the earlier entry takes over its place.
        Entry& earlier = e.list[static_cast<std::size_t>(found)];
        e.unused += static_cast<std::size_t>(earlier.nameLength) + earlier.valueLength;
        earlier = e.list[kept];
        continue;
      }
      ++kept;
    }
  } catch (...) {
    // Out of memory in the index: keep the entries it holds.
    e.list.resize(static_cast<std::size_t>(e.index.size()));
    e.recountUnused();
    throw;
  }
  e.list.resize(kept);
  e.packIfWasteful();
}

void CJTorvAttributeList::write(CJDataOutputStream* out) const {
  const std::size_t count = static_cast<std::size_t>(size());
  // Every byte of a text is at most one UTF-16 unit of two bytes.
  long long bytes = 4;
  for (std::size_t i = 0; i < count; ++i) {
    const Entry& entry = entries_->list[i];
    bytes += 8 + 2 * (static_cast<long long>(entry.nameLength) + entry.valueLength);
  }
  out->expect(bytes);
  out->writeInt(static_cast<int>(count));
  for (std::size_t i = 0; i < count; ++i) {
    out->writeText(entries_->name(i));
    out->writeText(entries_->value(i));
  }
}
